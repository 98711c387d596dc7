// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "platform/unique_fd.h"
#include "platform/whole_file.h"
#include "platform/write_all.h"

namespace jabbery {

bool ReplaceWholeFile(const std::string& path, const std::string& content, std::string& error,
                      FileAccess access) {
    const std::string partial = path + kPartialSuffix;
    // Whatever an earlier run or anyone else left under the temporary name
    // goes first; unlink removes a link itself, never what it points to.
    ::unlink(partial.c_str());
    // O_EXCL makes a new file or fails, even when a link appeared at the
    // name meanwhile; O_NOFOLLOW says so plainly. The mode holds from the
    // file's first moment, so a private file is never readable by others.
    UniqueFd fd(::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       access == FileAccess::kOwnerOnly ? 0600 : 0666));
    const bool created = fd.IsOpen();
    int failure = created ? WriteAll(fd.Get(), content) : errno;
    // close is checked too: some file systems report a failed write only there.
    if (created && ::close(fd.Release()) != 0 && errno != EINTR && failure == 0) failure = errno;
    // rename replaces the name in one step; a link at `path` is itself replaced.
    if (failure == 0 && std::rename(partial.c_str(), path.c_str()) != 0) failure = errno;
    if (failure != 0) {
        // Only a file this call made is removed; anything else is not ours.
        if (created) ::unlink(partial.c_str());
        error = "Could not write " + path + ": " + std::system_category().message(failure);
        return false;
    }
    return true;
}

}  // namespace jabbery
