// SPDX-License-Identifier: MIT
#include "model/atomic_file.h"

#include <cstdio>
#include <fstream>

namespace jabbery::model {
namespace {

// Removes the temporary file unless the rename has taken it over.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::filesystem::path path) : m_path(std::move(path)) {}
    ~TemporaryFile() {
        std::error_code ignored;
        if (!m_kept) std::filesystem::remove(m_path, ignored);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    void Keep() { m_kept = true; }

  private:
    std::filesystem::path m_path;
    bool m_kept = false;
};

}  // namespace

bool ReplaceFile(const std::filesystem::path& path, std::string_view content, std::string& error) {
    std::filesystem::path temporary_path = path;
    temporary_path += ".new";
    TemporaryFile temporary(temporary_path);
    {
        // Binary mode: the bytes land exactly as given (CR LF stays CR LF).
        std::ofstream out(temporary.Path(), std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (out.fail()) {
            error = "cannot write " + temporary.Path().filename().string();
            return false;
        }
    }
    // rename() replaces the old file in one step on the same file system.
    if (std::rename(temporary.Path().c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path.filename().string();
        return false;
    }
    temporary.Keep();
    return true;
}

}  // namespace jabbery::model
