// SPDX-License-Identifier: MIT
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/write_all.h"

namespace jabbery {

int WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        // A write may take less than it was given (a signal, a full pipe, a quota).
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        // A write that takes nothing would loop for ever; say so instead.
        if (written == 0) return EIO;
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int AppendWhole(int fd, std::string_view data, bool sync) {
    struct stat before {};
    // The size before is where a failed append is cut back to.
    if (::fstat(fd, &before) != 0) return errno;
    int failure = WriteAll(fd, data);
    if (failure == 0 && sync && ::fdatasync(fd) != 0) failure = errno;
    // O_APPEND puts the next write at the new end, so nothing else needs moving.
    if (failure != 0) (void)::ftruncate(fd, before.st_size);
    return failure;
}

}  // namespace jabbery
