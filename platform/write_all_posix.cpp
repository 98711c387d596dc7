// SPDX-License-Identifier: MIT
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

}  // namespace jabbery
