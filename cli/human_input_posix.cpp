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
        // Only what came is searched: a line of many reads is not searched
        // again from its start at each one.
        std::size_t from = partial.size();
        partial.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t end; (end = partial.find('\n', from)) != std::string::npos; from = 0) {
            std::string line = partial.substr(0, end);
            partial.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            Add(std::move(line));
        }
    }
    // A last line without its line end still counts.
    if (!partial.empty()) Add(std::move(partial));
    End();
}

}  // namespace jabbery
