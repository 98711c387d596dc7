// SPDX-License-Identifier: MIT
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "platform/file_checks.h"

namespace jabbery {

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    // stat follows links, as exec does; access asks with our real ids, as a bot runs.
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

bool CanWriteIn(const std::string& folder) {
    // Write and search permission are what creating a file in a folder needs.
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::string> FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/bin:/bin";
    while (true) {
        const std::size_t colon = folders.find(':');
        // An empty entry means the working folder, as the shell reads it.
        std::string candidate(colon == 0 ? std::string_view(".") : folders.substr(0, colon));
        candidate.append("/").append(name);
        if (IsExecutableFile(candidate)) return candidate;
        if (colon == std::string_view::npos) return std::nullopt;
        folders.remove_prefix(colon + 1);
    }
}

}  // namespace jabbery
