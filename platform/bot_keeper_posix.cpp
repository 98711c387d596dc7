// SPDX-License-Identifier: MIT
#include "platform/bot_keeper_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/exchange_marker.h"
#include "platform/spawn_setup_posix.h"
#include "platform/unique_fd.h"

namespace jabbery {

namespace {

enum class Ask : std::uint32_t { kNone, kStart, kHasEnded, kFinish };

struct Request {
    Ask m_ask;
    std::int32_t m_pid;  // the shell asked about (kHasEnded, kFinish)
};

struct Answer {
    std::int32_t m_error;  // 0, or an error number
    std::int32_t m_value;  // the shell's pid (kStart), ended (kHasEnded), wait status (kFinish)
};

// The largest start request: the command line and the environment, each
// entry ending in a NUL. Far more than a descriptor line and an environment take.
constexpr std::size_t kMaxPayload = 128 * 1024;

// How long the keeper goes on ending what is left once this program has gone.
constexpr auto kLastSweepPatience = std::chrono::seconds(10);

// The longest pause between two looks at orphans that are still dying.
constexpr int kLongestSweepPauseMs = 100;

// Sends one message with up to two descriptors. 0 or an error number.
int SendMessage(int socket, const void* head, std::size_t head_size, const std::string& payload,
                const int* fds, std::size_t fd_count) {
    iovec parts[2] = {{const_cast<void*>(head), head_size},
                      {const_cast<char*>(payload.data()), payload.size()}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = payload.empty() ? 1 : 2;
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
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
        // MSG_NOSIGNAL: a keeper that has gone is an error, not a SIGPIPE.
        if (::sendmsg(socket, &message, MSG_NOSIGNAL) >= 0) return 0;
        if (errno != EINTR) return errno;
    }
}

// Receives one message into `head` and `payload`, and its descriptors
// (close-on-exec) into `fds`. The byte count, 0 when the other side hung up,
// or -1 with errno set.
ssize_t ReceiveMessage(int socket, void* head, std::size_t head_size, std::string* payload,
                       std::vector<UniqueFd>& fds) {
    if (payload) payload->resize(kMaxPayload);
    iovec parts[2] = {{head, head_size}, {payload ? payload->data() : nullptr, kMaxPayload}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = payload ? 2 : 1;
    alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got = -1;
    do {
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
    if (payload) {
        const std::size_t body =
            got > static_cast<ssize_t>(head_size) ? static_cast<std::size_t>(got) - head_size : 0;
        payload->resize(body);
    }
    return got;
}

// ---- The keeper's side: runs in the forked process only. ----

// A run in flight: its shell, which leads its session and group, and its marker.
struct Run {
    pid_t m_shell;
    std::string m_marker;
};

class Keeper {
  public:
    explicit Keeper(int socket) : m_socket(socket) {}

    [[noreturn]] void Serve() {
        using Clock = std::chrono::steady_clock;
        // While orphans are still dying: when to look at them again, and the pause after that.
        std::optional<Clock::time_point> next_sweep;
        int pause_ms = 1;
        for (;;) {
            pollfd fd{m_socket, POLLIN, 0};
            const int timeout = next_sweep ? static_cast<int>(std::max<std::int64_t>(
                                                 0, std::chrono::ceil<std::chrono::milliseconds>(
                                                        *next_sweep - Clock::now())
                                                        .count()))
                                           : -1;
            // Sleeps until a request comes, this program goes or it is time to look again.
            const int ready = ::poll(&fd, 1, timeout);
            bool finished_one = false;
            if (ready > 0 && !Handle(finished_one)) break;
            // Only the end of a run, or orphans still dying, give work to look for.
            if (!finished_one && !(next_sweep && Clock::now() >= *next_sweep)) continue;
            if (!Sweep()) {
                next_sweep.reset();
                pause_ms = 1;
                continue;
            }
            next_sweep = Clock::now() + std::chrono::milliseconds(pause_ms);
            pause_ms = std::min(pause_ms * 2, kLongestSweepPauseMs);
        }
        // This program has gone: nothing of ours may outlive it.
        m_runs.clear();
        const auto deadline = std::chrono::steady_clock::now() + kLastSweepPatience;
        while (Sweep() && std::chrono::steady_clock::now() < deadline) ::usleep(1000);
        ::_exit(0);
    }

  private:
    // Answers one request; false when the program has hung up. `finished_one`
    // tells whether it ended a run.
    bool Handle(bool& finished_one) {
        Request request{};
        std::string payload;
        std::vector<UniqueFd> fds;
        const ssize_t got = ReceiveMessage(m_socket, &request, sizeof request, &payload, fds);
        // 0: the program hung up; an error on a blocking socket: it is unusable.
        if (got <= 0) return false;
        Answer answer{EINVAL, 0};  // for a request cut short, which the program never sends
        if (got < static_cast<ssize_t>(sizeof request)) request.m_ask = Ask::kNone;
        switch (request.m_ask) {
            case Ask::kNone:
                break;
            case Ask::kStart:
                answer = Start(payload, fds);
                break;
            case Ask::kHasEnded: {
                siginfo_t info{};
                // WNOWAIT looks without reaping; WNOHANG does not block.
                const int looked = ::waitid(P_PID, static_cast<id_t>(request.m_pid), &info,
                                            WEXITED | WNOHANG | WNOWAIT);
                answer = {looked != 0 ? errno : 0, looked == 0 && info.si_pid != 0};
                break;
            }
            case Ask::kFinish:
                answer = Finish(request.m_pid);
                finished_one = true;
                break;
        }
        // An answer that cannot be sent means the program has gone; the next poll says so.
        SendMessage(m_socket, &answer, sizeof answer, {}, nullptr, 0);
        return true;
    }

    Answer Start(const std::string& payload, const std::vector<UniqueFd>& fds) {
        if (fds.size() != 2) return {EBADF, 0};
        // The payload: the command line, then the environment entries, each ending in NUL.
        std::vector<char*> words;
        for (std::size_t at = 0; at < payload.size();) {
            const std::size_t end = payload.find('\0', at);
            if (end == std::string::npos) break;
            words.push_back(const_cast<char*>(payload.data() + at));
            at = end + 1;
        }
        if (words.size() < 2) return {EINVAL, 0};
        std::vector<char*> environment(words.begin() + 1, words.end());
        environment.push_back(nullptr);

        SpawnFileActions actions;
        actions.ChangeFolder(fds[0].Get());
        actions.OpenNull(STDIN_FILENO, O_RDONLY);
        actions.DuplicateTo(fds[1].Get(), STDOUT_FILENO);
        actions.DuplicateTo(fds[1].Get(), STDERR_FILENO);
        actions.CloseFrom(STDERR_FILENO + 1);
        SpawnAttributes attributes;
        attributes.SetUp(SpawnAttributes::kOwnSession);
        if (actions.Error() != 0) return {actions.Error(), 0};
        if (attributes.Error() != 0) return {attributes.Error(), 0};
        // "--" ends the shell's options, so a command line that begins with "-" is run.
        char* const argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                              const_cast<char*>("--"), words[0], nullptr};
        pid_t pid = -1;
        // posix_spawn reports a failure of any step in the child (the folder,
        // the exec) as its result.
        const int error = ::posix_spawn(&pid, "/bin/sh", actions.Get(), attributes.Get(), argv,
                                        environment.data());
        if (error != 0) return {error, 0};
        m_runs.push_back({pid, words.back()});
        return {0, pid};
    }

    Answer Finish(pid_t shell) {
        const auto run = std::find_if(m_runs.begin(), m_runs.end(),
                                      [&](const Run& r) { return r.m_shell == shell; });
        if (run == m_runs.end()) return {ESRCH, 0};
        m_runs.erase(run);
        // SIGKILL to the whole group: the shell if it still runs and whatever
        // it left in its group. The shell is not reaped yet, so the group id
        // is still the run's. ESRCH (nobody left) is fine.
        ::kill(-shell, SIGKILL);
        int status = 0;
        for (;;) {
            // Blocks only until the SIGKILL takes effect.
            if (::waitpid(shell, &status, 0) == shell) return {0, status};
            if (errno != EINTR) return {errno, 0};
        }
    }

    // True when `pid` belongs to a run still in flight: its shell, a member
    // of its group, or a process carrying its marker.
    bool InFlight(pid_t pid) const {
        if (m_runs.empty()) return false;
        const pid_t group = ::getpgid(pid);
        for (const Run& run : m_runs) {
            if (pid == run.m_shell || group == run.m_shell) return true;
        }
        for (const Run& run : m_runs) {
            if (CarriesMarker(pid, run.m_marker)) return true;
        }
        return false;
    }

    // Kills and reaps every child that belongs to no run in flight: orphans
    // of finished runs, and what they leave as they die. True when it found
    // any: their own orphans come to us as they die, so we look again.
    bool Sweep() {
        siginfo_t info{};
        // The common case, one system call: no run in flight and no child at
        // all (WNOHANG|WNOWAIT neither blocks nor reaps; ECHILD says none).
        if (m_runs.empty() && ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 &&
            errno == ECHILD) {
            return false;
        }
        bool found = false;
        for (const pid_t pid : ChildrenOfThisProcess()) {
            if (InFlight(pid)) continue;
            found = true;
            // By pid only: a child of ours, whose pid cannot be reused before we reap it.
            ::kill(pid, SIGKILL);
            // WNOHANG: one still dying is reaped at a later look.
            ::waitpid(pid, nullptr, WNOHANG);
        }
        return found;
    }

    int m_socket;
    std::vector<Run> m_runs;
};

[[noreturn]] void BecomeKeeper(int socket) {
    // A session of its own: no controlling terminal for it or its bots, and
    // no signal from the terminal (Ctrl-C) reaches it.
    ::setsid();
    // Orphans of any of its descendants come to it, not to init.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    // Its standard streams hold nothing of the program's (a pipe it writes
    // to, the terminal); only the socket stays.
    // The socket first moves above them, in case it is one of them (a
    // program started with a standard stream closed).
    const int moved = ::fcntl(socket, F_DUPFD, 10);
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= 2; ++fd) ::dup2(null, fd);
    ::dup2(moved, 3);
    ::close_range(4, ~0u, 0);
    // Signals as a fresh process has them, with SIGPIPE ignored: a hung-up
    // program is seen on the socket. Nothing else of the program runs here.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction action {};
    for (int number = 1; number < NSIG; ++number) {
        action.sa_handler = number == SIGPIPE ? SIG_IGN : SIG_DFL;
        ::sigaction(number, &action, nullptr);
    }
    // Should the program have gone already, the first poll sees the
    // hang-up: only the program held the other end.
    Keeper(3).Serve();
}

// ---- The program's side. ----

class KeeperLink {
  public:
    // One request and its answer, under the lock, so that threads take turns.
    int Ask(const Request& request, const std::string& payload, const int* fds,
            std::size_t fd_count, Answer& answer) {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A keeper that has gone (killed by someone) is replaced once.
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (const int error = EnsureKeeper(); error != 0) return error;
            int error =
                SendMessage(m_socket.Get(), &request, sizeof request, payload, fds, fd_count);
            if (error == 0) {
                std::vector<UniqueFd> no_fds;
                const ssize_t got =
                    ReceiveMessage(m_socket.Get(), &answer, sizeof answer, nullptr, no_fds);
                if (got == static_cast<ssize_t>(sizeof answer)) return 0;
                error = got < 0 ? errno : EPIPE;
            }
            Drop();
            // A start may be tried again; the other requests were about runs of the gone keeper.
            if (request.m_ask != Ask::kStart || error == EMSGSIZE) return error;
        }
        return EPIPE;
    }

  private:
    int EnsureKeeper() {
        // After a fork, the keeper belongs to the parent: the child starts its own.
        if (m_socket.IsOpen() && m_owner == ::getpid()) return 0;
        if (m_owner != ::getpid()) {
            m_socket = UniqueFd();
            m_keeper = -1;
        }
        int ends[2];
        // Sequenced packets keep each request whole; close-on-exec keeps our
        // end out of every program we start, so only we hold it.
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return errno;
        UniqueFd ours(ends[0]);
        UniqueFd theirs(ends[1]);
        // fork, not a new program: the keeper needs nothing but this file's
        // code. In the child only this thread runs; it takes no lock of ours.
        const pid_t keeper = ::fork();
        if (keeper < 0) return errno;
        if (keeper == 0) {
            ::close(ours.Release());
            BecomeKeeper(theirs.Release());
        }
        m_socket = std::move(ours);
        m_keeper = keeper;
        m_owner = ::getpid();
        return 0;
    }

    void Drop() {
        m_socket = UniqueFd();
        if (m_keeper > 0) {
            // The keeper ends by itself once its socket hangs up, after ending
            // what it kept (killing it would hand that to init); reaping it
            // waits at most for that last clean-up.
            while (::waitpid(m_keeper, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
        m_keeper = -1;
    }

    std::mutex m_mutex;
    UniqueFd m_socket;
    pid_t m_keeper = -1;
    pid_t m_owner = -1;
};

KeeperLink& Link() {
    // Never destroyed: a thread may still finish a run while the program exits.
    static KeeperLink* link = new KeeperLink;
    return *link;
}

}  // namespace

int StartThroughKeeper(const std::string& command_line, int folder_fd, int output_fd,
                       const std::vector<char*>& environment, pid_t& pid) {
    std::string payload = command_line;
    payload += '\0';
    for (const char* entry : environment) {
        if (entry == nullptr) break;
        payload += entry;
        payload += '\0';
    }
    if (command_line.find('\0') != std::string::npos) return EINVAL;
    if (payload.size() > kMaxPayload) return E2BIG;
    const int fds[2] = {folder_fd, output_fd};
    Answer answer{};
    if (const int error = Link().Ask({Ask::kStart, 0}, payload, fds, 2, answer); error != 0) {
        return error;
    }
    pid = answer.m_value;
    return answer.m_error;
}

bool HasEndedInKeeper(pid_t pid) {
    Answer answer{};
    // A keeper that cannot be asked has lost the run: it has ended.
    return Link().Ask({Ask::kHasEnded, pid}, {}, nullptr, 0, answer) != 0 || answer.m_error != 0 ||
           answer.m_value != 0;
}

bool FinishThroughKeeper(pid_t pid, int& status) {
    Answer answer{};
    if (Link().Ask({Ask::kFinish, pid}, {}, nullptr, 0, answer) != 0 || answer.m_error != 0) {
        return false;
    }
    status = answer.m_value;
    return true;
}

}  // namespace jabbery
