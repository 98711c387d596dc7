// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace jabbery {

// Messages over a local socket that carry descriptors beside their bytes
// (SCM_RIGHTS): the receiver gets copies of the sender's descriptors.

// The most descriptors one message carries.
inline constexpr std::size_t kMaxPassedFds = 4;

// Sends `head` then `payload` as one message with up to kMaxPassedFds
// descriptors. 0 or an error number (a peer that has gone is EPIPE, never SIGPIPE).
int SendMessage(int socket, const void* head, std::size_t head_size, const std::string& payload,
                const int* fds, std::size_t fd_count);

// Receives one message of at most `head_size` + `max_payload` bytes into
// `head` and `payload`, and its descriptors (close-on-exec) into `fds`.
// The byte count, 0 when the other side hung up, or -1 with errno set.
ssize_t ReceiveMessage(int socket, void* head, std::size_t head_size, std::size_t max_payload,
                       std::string& payload, std::vector<UniqueFd>& fds);

}  // namespace jabbery
