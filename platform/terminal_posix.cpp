// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/run_hidden.h"
#include "platform/terminal.h"

namespace jabbery {

bool IsTerminal(std::FILE* stream) {
    // isatty on the stream's descriptor: a pipe or a file gets no colour codes.
    return isatty(fileno(stream)) == 1;
}

int TerminalColumns(std::FILE* stream) {
    // The terminal's size as its window last set it (a pipe has none).
    winsize size{};
    return ::ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

void OpenClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        // F_GETFD fails with EBADF only for a number that holds nothing.
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        // open takes the lowest free number, which is `fd`: the ones below it
        // are open by now. Not close-on-exec: a bot may inherit it as its own.
        const int opened = ::open("/dev/null", O_RDWR | O_NOCTTY);
        if (opened >= 0 && opened != fd) ::close(opened);
    }
}

bool StopAwareOutput::Write(std::string_view text) {
    if (m_kept == nullptr) return WriteNow(text);
    return m_kept->WriteAbove([&] { return WriteNow(text); });
}

bool StopAwareOutput::WriteNow(std::string_view text) {
    while (m_error == 0 && !text.empty()) {
        pollfd fds[2] = {{m_fd, POLLOUT, 0}, {m_canceller.EventDescriptor(), POLLIN, 0}};
        // Once stopped, only a look: the output is not waited for any more.
        // Without the canceller's descriptor, the flag is looked at often.
        const int wait_ms = m_canceller.IsCancelled() ? 0 : fds[1].fd < 0 ? 50 : -1;
        const int ready = ::poll(fds, 2, wait_ms);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            m_error = errno;
            break;
        }
        // POLLERR and POLLHUP go on to the write, which says what is wrong.
        if (fds[0].revents == 0) {
            if (m_canceller.IsCancelled()) break;
            continue;
        }
        // No more than PIPE_BUF at a time: once poll says a pipe has room,
        // a write of that size fits and cannot block.
        const ssize_t written =
            ::write(m_fd, text.data(), std::min<std::size_t>(text.size(), PIPE_BUF));
        if (written < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (written < 0) m_error = errno;
        if (written > 0) text.remove_prefix(static_cast<std::size_t>(written));
    }
    return m_error == 0;
}

}  // namespace jabbery
