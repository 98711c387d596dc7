// SPDX-License-Identifier: MIT
#include "platform/fd_passing_posix.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

namespace jabbery {

int SendMessage(int socket, const void* head, std::size_t head_size, const std::string& payload,
                const int* fds, std::size_t fd_count) {
    iovec parts[2] = {{const_cast<void*>(head), head_size},
                      {const_cast<char*>(payload.data()), payload.size()}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = payload.empty() ? 1 : 2;
    alignas(cmsghdr) char control[CMSG_SPACE(kMaxPassedFds * sizeof(int))] = {};
    if (fd_count > kMaxPassedFds) return EINVAL;
    if (fd_count > 0) {
        message.msg_control = control;
        message.msg_controllen = CMSG_SPACE(fd_count * sizeof(int));
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;  // the receiver gets copies of the descriptors
        header->cmsg_len = CMSG_LEN(fd_count * sizeof(int));
        std::memcpy(CMSG_DATA(header), fds, fd_count * sizeof(int));
    }
    for (;;) {
        // MSG_NOSIGNAL: a peer that has gone is an error, not a SIGPIPE.
        if (::sendmsg(socket, &message, MSG_NOSIGNAL) >= 0) return 0;
        if (errno != EINTR) return errno;
    }
}

ssize_t ReceiveMessage(int socket, void* head, std::size_t head_size, std::size_t max_payload,
                       std::string& payload, std::vector<UniqueFd>& fds) {
    payload.resize(max_payload);
    iovec parts[2] = {{head, head_size}, {payload.data(), payload.size()}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    alignas(cmsghdr) char control[CMSG_SPACE(kMaxPassedFds * sizeof(int))] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got = -1;
    do {
        // Close-on-exec: descriptors received are never inherited by accident.
        got = ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
    } while (got < 0 && errno == EINTR);
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); got >= 0 && header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
        const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < count; ++i) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof fd);
            fds.emplace_back(fd);
        }
    }
    payload.resize(got > static_cast<ssize_t>(head_size) ? static_cast<std::size_t>(got) - head_size
                                                         : 0);
    return got;
}

}  // namespace jabbery
