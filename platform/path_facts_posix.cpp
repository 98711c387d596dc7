// SPDX-License-Identifier: MIT
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/path_facts.h"
#include "platform/text_file.h"

namespace jabbery {

namespace {

std::string ErrorText(int error) {
    // system_category().message is the thread-safe form of strerror.
    return std::system_category().message(error);
}

}  // namespace

PathFacts LookAtPath(const std::string& path) {
    PathFacts facts;
    char resolved[PATH_MAX];
    // realpath resolves the folder's links, so that two spellings of one
    // folder compare equal; it fails when the folder is missing.
    if (::realpath(FolderOf(path).c_str(), resolved) == nullptr) {
        facts.m_error = "its folder cannot be used: " + ErrorText(errno);
        return facts;
    }
    facts.m_folder = resolved;
    // W_OK and X_OK on the folder: a new entry can be made in it. Checked
    // with the real ids, which are ours (no set-user-id here).
    facts.m_folderWritable = ::access(resolved, W_OK | X_OK) == 0;

    struct stat link_status {};
    // lstat sees the name itself: a symbolic link is noticed, not followed.
    if (::lstat(path.c_str(), &link_status) != 0) {
        facts.m_kind = errno == ENOENT ? PathKind::kAbsent : PathKind::kUnknown;
        if (errno != ENOENT) facts.m_error = ErrorText(errno);
        return facts;
    }
    facts.m_isLink = S_ISLNK(link_status.st_mode);
    struct stat status {};
    // stat follows the link to what would really be written.
    if (::stat(path.c_str(), &status) != 0) {
        facts.m_kind = errno == ENOENT ? PathKind::kDanglingLink : PathKind::kUnknown;
        if (errno != ENOENT) facts.m_error = ErrorText(errno);
        return facts;
    }
    facts.m_device = status.st_dev;
    facts.m_inode = status.st_ino;
    if (S_ISREG(status.st_mode)) {
        facts.m_kind = PathKind::kRegular;
        // Asks the kernel whether opening for writing would be allowed.
        facts.m_writable = ::access(path.c_str(), W_OK) == 0;
    } else {
        facts.m_kind = S_ISDIR(status.st_mode) ? PathKind::kDirectory : PathKind::kSpecial;
    }
    return facts;
}

}  // namespace jabbery
