// SPDX-License-Identifier: MIT
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace jabbery::testing {

// A TCP socket on 127.0.0.1 at a port the system picks, listening until
// destroyed and never accepting. Made `full`, its queue (backlog 0) holds
// one waiting connection and drops later handshakes: a server that never
// answers, without leaving this machine. Tests only.
class TestListener {
  public:
    explicit TestListener(bool full = false) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        // Port 0: the system picks a free one, read back with getsockname.
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(m_fd, full ? 0 : 16);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &size);
        m_port = std::to_string(ntohs(address.sin_port));
        if (full) {
            m_filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            ::connect(m_filler, reinterpret_cast<sockaddr*>(&address), size);
        }
    }
    ~TestListener() {
        if (m_filler >= 0) ::close(m_filler);
        ::close(m_fd);
    }
    TestListener(const TestListener&) = delete;
    TestListener& operator=(const TestListener&) = delete;

    const std::string& Port() const { return m_port; }

  private:
    int m_fd = -1;
    int m_filler = -1;
    std::string m_port;
};

}  // namespace jabbery::testing
