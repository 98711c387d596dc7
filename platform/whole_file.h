// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace jabbery {

// Who may read a file that ReplaceWholeFile makes.
enum class FileAccess {
    kShared,     // whoever the user's umask allows (a transcript, a bot's answer)
    kOwnerOnly,  // the user alone (a bot's memory of the conversation)
};

// What ReplaceWholeFile appends to the path for the file it writes first.
inline constexpr const char* kPartialSuffix = ".partial";

// Makes `path` hold exactly `content`: written beside it under a temporary
// name, then renamed over it, so a write that fails part-way leaves any
// earlier file as it was. The temporary file is always new, never a link
// or a file left under its name (that is removed first), so nothing planted
// there can redirect the write; a link at `path` itself is replaced, not
// followed. Returns false with `error` in words for the user.
bool ReplaceWholeFile(const std::string& path, const std::string& content, std::string& error,
                      FileAccess access = FileAccess::kShared);

}  // namespace jabbery
