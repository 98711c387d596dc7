// SPDX-License-Identifier: MIT
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace jabbery::testing {

// A fresh, empty folder under /tmp, removed with its contents when the
// test ends. Tests only: a folder that cannot be made throws.
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
        std::filesystem::remove_all(m_path, ignored);
    }

    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path, without a trailing slash.
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

// Writes `content` to `path` as it stands.
inline void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Reads a whole file; empty when it is not there.
inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// A whole file without its trailing line end.
inline std::string TrimmedFile(const std::string& path) {
    std::string text = ReadFile(path);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace jabbery::testing
