// SPDX-License-Identifier: MIT
#include "platform/whole_file.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace jabbery {

bool ReplaceWholeFile(const std::string& path, const std::string& content, std::string& error) {
    const std::string partial = path + ".partial";
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    file << content;
    // close flushes the buffer; a write that failed only then shows in the stream state.
    file.close();
    std::error_code failure;
    if (!file.fail()) std::filesystem::rename(partial, path, failure);
    if (file.fail() || failure) {
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        error =
            "Could not write " + path +
            (failure ? ": " + failure.message() : std::string(": the file could not be written"));
        return false;
    }
    return true;
}

}  // namespace jabbery
