// SPDX-License-Identifier: MIT
#include <fcntl.h>

#include <cerrno>
#include <system_error>

#include "platform/slot_locks.h"

namespace jabbery {

namespace {

// An open file description lock on the one byte at `slot`: owned by the
// open file rather than the process, so the threads that share it never
// stand in each other's way, and closing another descriptor of the same
// file (a log read by name) does not drop it.
int LockByte(int fd, std::uint64_t slot, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(slot);
    lock.l_len = 1;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0 ? 0 : errno;
}

}  // namespace

bool SlotLocks::Open(const std::string& path, std::string& error) {
    // Read and write: a write lock needs a descriptor open for writing.
    // O_NONBLOCK: a FIFO of that name must not hold us up waiting for a reader.
    m_fd =
        UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666));
    if (!m_fd.IsOpen()) {
        error = "cannot open " + path + ": " + std::system_category().message(errno);
        return false;
    }
    return true;
}

bool SlotLocks::TryTake(std::uint64_t slot) const {
    const int error = LockByte(m_fd.Get(), slot, F_WRLCK);
    return error != EAGAIN && error != EACCES;
}

void SlotLocks::Release(std::uint64_t slot) const {
    LockByte(m_fd.Get(), slot, F_UNLCK);
}

}  // namespace jabbery
