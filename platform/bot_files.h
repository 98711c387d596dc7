// SPDX-License-Identifier: MIT
// The files a bot reads and keeps in its folder, opened so that
// nothing planted there leads outside it: no symbolic link below the folder
// is followed, and no file with a second hard link, or of another kind than
// a regular file, is read or written.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace jabbery {

// True for a relative path without any ".." part: one that names something
// below a folder, as long as no link lies on the way.
bool StaysInsideFolder(const std::filesystem::path& relative);

// True when the open file `fd` is what a bot's own file must be: a regular
// file with exactly one link. Otherwise `why` says in words what it is
// ("it has another hard link", "it was removed as it was opened", ...).
bool IsOwnFile(int fd, std::string& why);

enum class BotFileRead {
    kRead,
    kMissing,   // nothing of that name
    kUnusable,  // something else is there, or it cannot be read
};

// Reads the file `relative` below `folder` into `content`. Every folder on
// the way must be a real folder, the file a regular file with one link and
// at most `max_bytes` long. Unless it is read, `why` says in words what is
// wrong ("it is missing", "it is a symbolic link", ...).
BotFileRead ReadBotFile(const std::filesystem::path& folder, const std::filesystem::path& relative,
                        std::size_t max_bytes, std::string& content, std::string& why);

// Adds `text` at the end of the file `path`, making it readable by its owner
// only when it is new. All of `text` or nothing: a write cut short (a full
// disk) is taken back. False with `why` in words when it cannot be done.
bool AppendToBotFile(const std::filesystem::path& path, std::string_view text, std::string& why);

// Renames `path` to path.bad, or, when that name is taken, to the first free
// one of path.bad.2, path.bad.3, ...: an earlier copy is never replaced.
// Returns the new name, or an empty path with `why` in words.
std::filesystem::path SetAside(const std::filesystem::path& path, std::string& why);

}  // namespace jabbery
