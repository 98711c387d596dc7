// SPDX-License-Identifier: MIT
#include "platform/self_location.h"

#include <cstdlib>
#include <filesystem>

namespace jabbery {
namespace {

bool IsAbsolutePath(const char* path) {
    return path != nullptr && path[0] == '/';
}

// `path` without "." and ".." parts and without a trailing slash.
std::string Tidy(const std::filesystem::path& path) {
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace

std::string ProgramFolder() {
    std::error_code error;
    // The kernel's link to the executable names it after every symbolic link
    // was followed, whatever name or relative path started the program.
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::string();
    return program.parent_path().string();
}

std::string DataHomeFrom(const char* xdg_data_home, const char* home) {
    // A relative XDG_DATA_HOME is invalid by the rules and must be ignored.
    if (IsAbsolutePath(xdg_data_home)) {
        return Tidy(xdg_data_home);
    }
    if (IsAbsolutePath(home)) {
        return Tidy(std::filesystem::path(home) / ".local/share");
    }
    return std::string();
}

std::string UserDataHome() {
    return DataHomeFrom(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

}  // namespace jabbery
