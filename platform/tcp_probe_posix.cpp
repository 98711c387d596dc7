// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <future>
#include <memory>
#include <system_error>
#include <thread>

#include "platform/tcp_probe.h"
#include "platform/unique_fd.h"
#include "values/limit_text.h"

namespace jabbery {
namespace {

using Clock = std::chrono::steady_clock;

// The system's words for an error number, in lower case as our messages are.
std::string Reason(int error) {
    std::string text = std::strerror(error);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// Tries one address until `deadline`; empty text when it connected.
std::string TryAddress(const addrinfo& address, Clock::time_point deadline) {
    // Non-blocking, so the wait for the handshake has our limit, not the kernel's minutes.
    UniqueFd socket(::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                             address.ai_protocol));
    if (!socket.IsOpen()) return Reason(errno);
    if (::connect(socket.Get(), address.ai_addr, address.ai_addrlen) == 0) return {};
    if (errno != EINPROGRESS) return Reason(errno);
    pollfd entry{socket.Get(), POLLOUT, 0};
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    // poll says when the handshake is over, one way or the other.
    const int ready = ::poll(&entry, 1, static_cast<int>(std::max<long long>(0, left.count())));
    if (ready == 0) return "timeout";
    if (ready < 0) return Reason(errno);
    int failure = 0;
    socklen_t size = sizeof failure;
    // The handshake's own result: 0 when the other side accepted.
    if (::getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &failure, &size) != 0) {
        return Reason(errno);
    }
    return failure == 0 ? std::string() : Reason(failure);
}

std::string Probe(const std::string& host, const std::string& port, Clock::time_point deadline) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    // getaddrinfo has no time limit of its own; the caller stops waiting at the deadline.
    if (const int status = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); status != 0) {
        return status == EAI_NONAME ? std::string("unknown host") : ::gai_strerror(status);
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, ::freeaddrinfo);
    std::string problem = "no address";
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
        problem = TryAddress(*address, deadline);
        if (problem.empty() || Clock::now() >= deadline) break;
    }
    return problem;
}

}  // namespace

std::string ProbeTcpConnection(const std::string& host, const std::string& port,
                               std::chrono::milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    const std::string too_slow = "no answer within " + LimitText(limit);
    // The probe runs on a thread of its own that owns all it uses, so a name
    // look-up that hangs is left behind at the deadline instead of keeping us.
    auto result = std::make_shared<std::promise<std::string>>();
    std::future<std::string> answer = result->get_future();
    try {
        std::thread([result, host, port, deadline] {
            result->set_value(Probe(host, port, deadline));
        }).detach();
    } catch (const std::system_error&) {
        // No thread can be started (a process or memory limit): the probe
        // runs here, and only a name look-up that hangs can hold it up.
        const std::string problem = Probe(host, port, deadline);
        return problem == "timeout" ? too_slow : problem;
    }
    if (answer.wait_until(deadline + std::chrono::milliseconds(50)) != std::future_status::ready) {
        return too_slow;
    }
    const std::string problem = answer.get();
    return problem == "timeout" ? too_slow : problem;
}

}  // namespace jabbery
