// SPDX-License-Identifier: MIT
// Replacing a file's content in one step.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace jabbery::model {

// Writes `content` to a new file beside `path` and renames it over `path`,
// so a reader sees either the old bytes or the new ones, never a mix, and a
// failed write leaves the old file as it was. The temporary file is removed
// on every failure. Returns false with `error` set when it cannot be done.
bool ReplaceFile(const std::filesystem::path& path, std::string_view content, std::string& error);

}  // namespace jabbery::model
