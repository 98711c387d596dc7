#pragma once

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

namespace jabbery::testing {

// A fresh, empty folder under /tmp for one test, removed with everything in
// it when the test ends. Tests only: a folder that cannot be made throws.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = "/tmp/jabbery-test-XXXXXX";
        // mkdtemp picks a name nobody else has and creates it private to us.
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::system_error(errno, std::generic_category(), "mkdtemp");
        }
        m_path = pattern;
    }

    ~TempFolder() {
        std::error_code ignored;
        // The folder goes with its contents, even when a test left files in it.
        std::filesystem::remove_all(m_path, ignored);
    }

    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, without a trailing slash.
    const std::string& Path() const { return m_path; }

    // The path of `name` inside the folder.
    std::string File(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

}  // namespace jabbery::testing
