// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace jabbery {

// What a path names, looked at before anything is written there.
enum class PathKind {
    kAbsent,        // nothing by that name
    kRegular,       // a regular file (also through a symbolic link)
    kDanglingLink,  // a symbolic link whose target does not exist
    kDirectory,
    kSpecial,  // a FIFO, socket or device: a write could block or never end
    kUnknown,  // it could not be looked at; m_error says why
};

struct PathFacts {
    PathKind m_kind = PathKind::kUnknown;
    bool m_isLink = false;       // the name itself is a symbolic link
    bool m_writable = false;     // an existing file we may write to
    std::uint64_t m_device = 0;  // with m_inode, the file's identity when it exists
    std::uint64_t m_inode = 0;
    std::string m_folder;           // the folder the name is in, resolved; empty when missing
    bool m_folderWritable = false;  // a file can be created in m_folder
    std::string m_error;            // in words, for kUnknown or a missing folder
};

// Looks at `path` and its folder without opening or changing anything.
PathFacts LookAtPath(const std::string& path);

}  // namespace jabbery
