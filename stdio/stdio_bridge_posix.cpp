// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string_view>
#include <system_error>

#include "platform/plain_file.h"
#include "platform/process_group_posix.h"
#include "platform/signal_name.h"
#include "platform/spawn_setup_posix.h"
#include "platform/unique_fd.h"
#include "stdio/kept_bridge.h"
#include "stdio/stdio_bridge.h"

extern char** environ;

namespace jabbery {

namespace {

// How long the command may take to go after SIGTERM before SIGKILL ends it.
constexpr std::chrono::milliseconds kTermGrace{500};

// How often the wait loop looks at the command when the kernel has no pidfd.
constexpr int kPollSliceMs = 10;

std::string ErrorText(int error) {
    return std::system_category().message(error);
}

// The signals that stop jabbery-stdio, and with it the command.
sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

// A pipe between us and the command: our end is non-blocking, so the wait
// loop never blocks on it; the command's end is its standard input or output.
struct CommandPipe {
    UniqueFd m_ours;
    UniqueFd m_theirs;
};

bool MakePipe(bool we_write, CommandPipe& pipe, int& error) {
    int fds[2];
    // Close-on-exec: the command gets its copy through dup2 and nothing else.
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = errno;
        return false;
    }
    pipe.m_ours = UniqueFd(fds[we_write ? 1 : 0]);
    pipe.m_theirs = UniqueFd(fds[we_write ? 0 : 1]);
    // Only our end: the flag belongs to the open file, and the command
    // expects its standard input and output to block.
    ::fcntl(pipe.m_ours.Get(), F_SETFL, ::fcntl(pipe.m_ours.Get(), F_GETFL) | O_NONBLOCK);
    return true;
}

// Starts `command` on PATH with `input` as its standard input and `output`
// as its standard output, leading a process group of its own; its standard
// error is ours. Returns 0 and its pid, or an error number.
int StartCommand(const std::vector<std::string>& command, int input, int output, pid_t& pid) {
    SpawnFileActions actions;
    actions.DuplicateTo(input, STDIN_FILENO);
    actions.DuplicateTo(output, STDOUT_FILENO);
    actions.CloseFrom(STDERR_FILENO + 1);
    if (actions.Error() != 0) return actions.Error();
    // We block the stop signals and ignore SIGPIPE; the command starts with
    // nothing blocked and every signal at its default, in a group of its own.
    SpawnAttributes attributes;
    attributes.SetUp();
    if (attributes.Error() != 0) return attributes.Error();

    std::vector<char*> argv;
    // posix_spawnp takes non-const strings for historical reasons; it does not change them.
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    // posix_spawnp searches PATH like a shell would and reports a failed
    // exec (not found, not executable) as its result.
    return posix_spawnp(&pid, argv[0], actions.Get(), attributes.Get(), argv.data(), environ);
}

// Why the command gave no answer, from its wait status.
StdioOutcome NoAnswer(const std::string& program, int status) {
    const std::string left = "; chat.msg is left as it was";
    if (WIFSIGNALED(status)) {
        return {128 + WTERMSIG(status),
                program + " was killed by " + SignalName(WTERMSIG(status)) + left};
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    if (code == 0) return {1, program + " printed no answer" + left};
    return {code,
            program + " exited with code " + std::to_string(code) + " without an answer" + left};
}

// The wait loop's descriptors: the message still to go to the command's
// standard input, its standard output, its end, and our stop signals.
class BridgeLoop {
  public:
    BridgeLoop(CommandPipe& input, CommandPipe& output, ProcessGroup& command, int signal_fd,
               std::string message)
        : m_input(input.m_ours),
          m_output(output.m_ours),
          m_command(command),
          m_signalFd(signal_fd),
          m_pending(std::move(message)) {}

    // Runs until the answer is read, the command ends or a stop signal
    // comes. True with the answer in `answer`; otherwise `stop_signal` is
    // the signal that came, or 0.
    bool Run(AnswerLine& answer, int& stop_signal) {
        for (;;) {
            if (ReadOutput(answer)) return true;
            if (m_command.HasEnded()) {
                // What it printed before it ended is still in the pipe.
                return ReadOutput(answer) || (m_output.IsOpen() && answer.Finish());
            }
            if (TakeStopSignal(stop_signal)) return false;
            WriteInput();
            Wait();
        }
    }

  private:
    // Reads what the output pipe holds now; true once the answer is complete.
    bool ReadOutput(AnswerLine& answer) {
        char chunk[16 * 1024];
        while (m_output.IsOpen()) {
            const ssize_t got = ::read(m_output.Get(), chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 && errno == EAGAIN) return false;
            if (got <= 0) {
                // End of output (or a failed pipe): the last line, if any, is the answer.
                m_output.Reset();
                return answer.Finish();
            }
            if (answer.Feed(std::string_view(chunk, static_cast<std::size_t>(got)))) return true;
        }
        return false;
    }

    void WriteInput() {
        while (m_input.IsOpen() && !m_pending.empty()) {
            // Non-blocking: a command that reads nothing cannot stall us.
            const ssize_t written = ::write(m_input.Get(), m_pending.data(), m_pending.size());
            if (written < 0 && errno == EINTR) continue;
            if (written < 0 && errno == EAGAIN) return;
            // EPIPE: the command closed its input unread, which is its right.
            if (written <= 0) break;
            m_pending.erase(0, static_cast<std::size_t>(written));
        }
        // All of it written (or refused): closing tells the command the input has ended.
        m_input.Reset();
    }

    bool TakeStopSignal(int& stop_signal) {
        signalfd_siginfo info{};
        // Non-blocking: a signal that came is read, none leaves EAGAIN.
        if (::read(m_signalFd, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) {
            return false;
        }
        stop_signal = static_cast<int>(info.ssi_signo);
        return true;
    }

    void Wait() {
        pollfd fds[4];
        nfds_t count = 0;
        fds[count++] = {m_signalFd, POLLIN, 0};
        if (m_command.EndDescriptor() >= 0) fds[count++] = {m_command.EndDescriptor(), POLLIN, 0};
        if (m_output.IsOpen()) fds[count++] = {m_output.Get(), POLLIN, 0};
        if (m_input.IsOpen()) fds[count++] = {m_input.Get(), POLLOUT, 0};
        // Sleeps until output comes, input can go, the command ends or a
        // stop signal arrives; the loop then looks at each. EINTR just goes round again.
        ::poll(fds, count, m_command.EndDescriptor() >= 0 ? -1 : kPollSliceMs);
    }

    UniqueFd& m_input;
    UniqueFd& m_output;
    ProcessGroup& m_command;
    int m_signalFd;
    std::string m_pending;
};

}  // namespace

bool WriteMessageFile(const std::string& path, std::string_view bytes, std::string& error) {
    // O_NOFOLLOW refuses a link put in its place and O_NONBLOCK a FIFO
    // without a reader; no O_CREAT: the file Jabbery wrote must be there.
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    // The checks come before truncating, so a hard link to another file
    // planted meanwhile is refused and not emptied.
    if (!fd.IsOpen() || ::fstat(fd.Get(), &info) != 0) {
        error = ErrorText(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode) || info.st_nlink != 1) {
        error = "it is no longer a plain file";
        return false;
    }
    if (::ftruncate(fd.Get(), 0) != 0) {
        error = ErrorText(errno);
        return false;
    }
    while (!bytes.empty()) {
        // A write may take less than it was given, or be interrupted.
        const ssize_t written = ::write(fd.Get(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            error = ErrorText(written < 0 ? errno : EIO);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    // Some file systems report a failed write only at the close.
    const int closed = ::close(fd.Get());
    const int close_error = errno;
    fd = UniqueFd();
    if (closed != 0 && close_error != EINTR) {
        error = ErrorText(close_error);
        return false;
    }
    return true;
}

StdioOutcome RunStdioBridge(const std::vector<std::string>& command,
                            const std::string& message_file) {
    PlainFileReader reader;
    std::string error;
    if (!reader.Open(message_file, error)) {
        return {2, "cannot read " + message_file + " in the current folder: " + error};
    }
    const BotMessage message = ReadBotMessage(reader.Stream());
    // The command inherits our environment with the two lines added.
    if (::setenv("JABBERY_NAME", message.m_name.c_str(), 1) != 0 ||
        ::setenv("JABBERY_MESSAGE", message.m_message.c_str(), 1) != 0) {
        return {2, "cannot set the environment: " + ErrorText(errno)};
    }
    // A command that closes its input or output early must not kill us with
    // SIGPIPE: the write fails with EPIPE instead.
    ::signal(SIGPIPE, SIG_IGN);
    // An ignored SIGCHLD, inherited from whoever started us, would reap the
    // command behind our back and free its group id while we still use it.
    ::signal(SIGCHLD, SIG_DFL);
    // The stop signals are blocked and read from a descriptor, so the wait
    // loop sees them without a handler and can end the command first.
    const sigset_t stop_signals = StopSignals();
    ::sigprocmask(SIG_BLOCK, &stop_signals, nullptr);
    const UniqueFd signal_fd(::signalfd(-1, &stop_signals, SFD_NONBLOCK | SFD_CLOEXEC));
    if (!signal_fd.IsOpen()) return {2, "cannot watch for signals: " + ErrorText(errno)};

    CommandPipe input;
    CommandPipe output;
    int start_error = 0;
    pid_t pid = -1;
    if (MakePipe(true, input, start_error) && MakePipe(false, output, start_error)) {
        start_error = StartCommand(command, input.m_theirs.Get(), output.m_theirs.Get(), pid);
    }
    if (start_error != 0) return {127, "cannot run " + command[0] + ": " + ErrorText(start_error)};
    // Our copies of the command's ends must go, or its output never ends.
    input.m_theirs.Reset();
    output.m_theirs.Reset();

    ProcessGroup group(pid);
    AnswerLine answer;
    int stop_signal = 0;
    const bool answered =
        BridgeLoop(input, output, group, signal_fd.Get(), message.m_message + "\n")
            .Run(answer, stop_signal);
    // Closing our ends first lets a command still writing or reading see the end.
    input.m_ours.Reset();
    output.m_ours.Reset();
    const int status = group.End(kTermGrace);
    if (stop_signal != 0) {
        return {128 + stop_signal,
                "stopped by " + SignalName(stop_signal) + "; chat.msg is left as it was"};
    }
    if (!answered) return NoAnswer(command[0], status);
    if (!WriteMessageFile(message_file, answer.ProtocolBytes(), error)) {
        return {2, "cannot write the answer to " + message_file + ": " + error};
    }
    return {0, {}};
}

}  // namespace jabbery
