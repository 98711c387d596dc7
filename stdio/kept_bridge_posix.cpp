// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "platform/kept_programs.h"
#include "platform/plain_file.h"
#include "platform/signal_name.h"
#include "stdio/kept_bridge.h"
#include "stdio/stdio_bridge.h"

namespace jabbery {

namespace {

// The name under which jabbery-stdio keeps its program, one per bot folder.
constexpr const char* kKeptName = "jabbery-stdio";

// How the exchange with the kept program went.
enum class Talk { kDone, kEnded, kStopped };

// Talks to the kept program over `connection` until `done` says so, the
// program's output ends or a stop signal comes on `signal_fd`.
template <typename Done>
Talk ReadUntil(int connection, int signal_fd, int& stop_signal, Done done) {
    char chunk[16 * 1024];
    for (;;) {
        pollfd fds[2] = {{connection, POLLIN, 0}, {signal_fd, POLLIN, 0}};
        // Sleeps until output comes, the program goes or a stop signal arrives;
        // Jabbery's time limit bounds the wait. EINTR just goes round again.
        if (::poll(fds, 2, -1) < 0) continue;
        signalfd_siginfo info{};
        if (fds[1].revents != 0 &&
            ::read(signal_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            stop_signal = static_cast<int>(info.ssi_signo);
            return Talk::kStopped;
        }
        if (fds[0].revents == 0) continue;
        const ssize_t got = ::read(connection, chunk, sizeof chunk);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got <= 0) return Talk::kEnded;
        if (done(std::string_view(chunk, static_cast<std::size_t>(got)))) return Talk::kDone;
    }
}

// Drops what the program printed after the last exchange's answer (a
// prompt a program without --prompt printed, the rest of a longer answer).
void DropStaleOutput(int connection) {
    char chunk[16 * 1024];
    // MSG_DONTWAIT: only what is there now; the program is waiting for its line.
    while (::recv(connection, chunk, sizeof chunk, MSG_DONTWAIT) > 0) {
    }
}

bool SendLine(int connection, std::string line) {
    line += '\n';
    std::string_view rest = line;
    while (!rest.empty()) {
        // MSG_NOSIGNAL: a program that has gone is an error, not a SIGPIPE.
        const ssize_t sent = ::send(connection, rest.data(), rest.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        rest.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

}  // namespace

StdioOutcome RunKeptBridge(const std::vector<std::string>& command, const std::string& message_file,
                           const KeptOptions& options) {
    PlainFileReader reader;
    std::string error;
    if (!reader.Open(message_file, error)) {
        return {2, "cannot read " + message_file + " in the current folder: " + error};
    }
    const BotMessage message = ReadBotMessage(reader.Stream());
    const char* socket = std::getenv(kKeepSocketVariable);
    if (socket == nullptr || socket[0] == '\0') {
        return {2, std::string("--keep needs ") + kKeepSocketVariable +
                       ", which jabbery and jabbery-cli set for every exchange; chat.msg is "
                       "left as it was"};
    }
    // The stop signals are read from a descriptor, so the wait sees them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stop_signals, number);
    ::sigprocmask(SIG_BLOCK, &stop_signals, nullptr);
    const UniqueFd signal_fd(::signalfd(-1, &stop_signals, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!signal_fd.IsOpen()) {
        return {2, "cannot watch for signals: " + std::system_category().message(errno)};
    }

    const KeptProgram kept = AskToKeep(socket, kKeptName, command);
    if (!kept.m_connection.IsOpen()) {
        return {127,
                "cannot keep " + command[0] + ": " + kept.m_error + "; chat.msg is left as it was"};
    }
    const int connection = kept.m_connection.Get();
    int stop_signal = 0;
    Talk talk = Talk::kDone;
    if (kept.m_start == KeptStart::kRestarted) {
        std::fprintf(stderr,
                     "jabbery-stdio: %s had ended; started a new one, which has forgotten what "
                     "was said\n",
                     command[0].c_str());
    }
    if (kept.m_start != KeptStart::kRunning && options.m_skipUntil) {
        SkipUntil skip(*options.m_skipUntil);
        talk = ReadUntil(connection, signal_fd.Get(), stop_signal,
                         [&skip](std::string_view bytes) { return skip.Feed(bytes); });
    } else if (kept.m_start == KeptStart::kRunning) {
        DropStaleOutput(connection);
    }
    KeptAnswer answer(options);
    if (talk == Talk::kDone) {
        talk = SendLine(connection, message.m_message)
                   ? ReadUntil(connection, signal_fd.Get(), stop_signal,
                               [&answer](std::string_view bytes) { return answer.Feed(bytes); })
                   : Talk::kEnded;
    }
    if (talk == Talk::kStopped) {
        return {128 + stop_signal,
                "stopped by " + SignalName(stop_signal) + "; chat.msg is left as it was"};
    }
    if (talk == Talk::kEnded && !answer.Finish()) {
        return {1, command[0] +
                       " ended without an answer; chat.msg is left as it was (the next "
                       "exchange starts it again)"};
    }
    AnswerLine line;
    line.Feed(answer.Text() + "\n");
    if (!WriteMessageFile(message_file, line.ProtocolBytes(), error)) {
        return {2, "cannot write the answer to " + message_file + ": " + error};
    }
    return {0, {}};
}

}  // namespace jabbery
