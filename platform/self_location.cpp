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

std::string BaseFolderFrom(const char* xdg_value, const char* home, const char* below_home) {
    // A relative XDG path is invalid by the rules and must be ignored; a
    // relative HOME is no better.
    if (IsAbsolutePath(xdg_value)) {
        return Tidy(xdg_value);
    }
    if (IsAbsolutePath(home)) {
        return Tidy(std::filesystem::path(home) / below_home);
    }
    return std::string();
}

std::string UserDataHome() {
    return BaseFolderFrom(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), ".local/share");
}

std::string UserStateHome() {
    return BaseFolderFrom(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"), ".local/state");
}

}  // namespace jabbery
