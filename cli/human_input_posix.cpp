// SPDX-License-Identifier: MIT
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "cli/human_input.h"

namespace jabbery {

HumanInput::HumanInput(int fd) : m_fd(fd), m_reader([this] { Read(); }) {}

HumanInput::~HumanInput() {
    m_stop = true;
    m_reader.join();
}

std::optional<std::string> HumanInput::Next() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_lines.empty()) return std::nullopt;
    std::string line = std::move(m_lines.front());
    m_lines.pop_front();
    return line;
}

void HumanInput::Read() {
    std::string partial;
    char buffer[4096];
    while (!m_stop) {
        // A short poll, so that the program's end is noticed.
        pollfd ready{m_fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, 100);
        if (polled < 0 && errno != EINTR) return;
        if (polled <= 0) continue;
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        partial.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t end; (end = partial.find('\n')) != std::string::npos;) {
            std::string line = partial.substr(0, end);
            partial.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_lines.push_back(std::move(line));
        }
    }
    // A last line without its line end still counts.
    if (!partial.empty()) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(std::move(partial));
    }
}

}  // namespace jabbery
