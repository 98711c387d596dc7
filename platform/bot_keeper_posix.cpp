// SPDX-License-Identifier: MIT
#include "platform/bot_keeper_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/exchange_marker.h"
#include "platform/fd_passing_posix.h"
#include "platform/process_group_posix.h"
#include "platform/service_process_posix.h"
#include "platform/spawn_setup_posix.h"
#include "platform/unique_fd.h"

namespace jabbery {

namespace {

enum class Ask : std::uint32_t { kStart, kStop };

// A request to the keeper; it answers none on the socket: what becomes of
// a run is written to the run's own report pipe, once.
struct Request {
    Ask m_ask;
    std::uint64_t m_run;  // the caller's number for the run
};

// What a report pipe receives when its run is over.
struct Report {
    std::int32_t m_error;   // 0, or why the shell could not be started
    std::int32_t m_status;  // the shell's wait status
};

// The largest start request: the command line and the environment, each
// entry ending in a NUL. It travels in a memory file of its own, not in the
// socket's message, whose size the system keeps small; this bound is above
// what exec itself takes (a quarter of the stack limit, 2 MiB by default).
constexpr off_t kMaxPayload = 64 * 1024 * 1024;

// How long the keeper goes on ending what is left once this program has gone.
constexpr auto kLastSweepPatience = std::chrono::seconds(10);

// The longest pause between two looks at orphans that are still dying.
constexpr int kLongestSweepPauseMs = 100;

// ---- The keeper's side: runs in the forked process only. ----

// A run in flight: its number, its shell (which leads its session and
// group), its marker, and where to report its end.
struct Run {
    std::uint64_t m_number;
    ProcessGroup m_shell;
    std::string m_marker;
    UniqueFd m_report;
};

// Reads the memory file `fd` holds, from its start, into `text`. 0 or an error number.
int ReadWhole(int fd, std::string& text) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return errno;
    if (info.st_size > kMaxPayload) return E2BIG;
    text.resize(static_cast<std::size_t>(info.st_size));
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t got = ::pread(fd, text.data() + done, text.size() - done, done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got < 0 ? errno : EIO;
        done += static_cast<std::size_t>(got);
    }
    return 0;
}

// Writes `report` to a run's report pipe; a caller that has gone is no matter.
void SendReport(int report_fd, Report report) {
    // Eight bytes to a pipe are written whole; SIGPIPE is ignored here.
    while (::write(report_fd, &report, sizeof report) < 0 && errno == EINTR) {
    }
}

class Keeper {
  public:
    Keeper(int socket, int child_events) : m_socket(socket), m_childEvents(child_events) {}

    [[noreturn]] void Serve() {
        using Clock = std::chrono::steady_clock;
        // While orphans are still dying: when to look at them again (never
        // when none are), and the pause after that.
        constexpr Clock::time_point kNever = Clock::time_point::max();
        Clock::time_point next_sweep = kNever;
        int pause_ms = 1;
        for (;;) {
            pollfd fds[2] = {{m_socket, POLLIN, 0}, {m_childEvents, POLLIN, 0}};
            const int timeout =
                next_sweep == kNever
                    ? -1
                    : static_cast<int>(std::max<std::int64_t>(
                          0, std::chrono::ceil<std::chrono::milliseconds>(next_sweep - Clock::now())
                                 .count()));
            // Sleeps until a request comes, a child ends, this program goes
            // or it is time to look at dying orphans again.
            if (::poll(fds, 2, timeout) < 0 && errno != EINTR) ::usleep(1000);
            if (fds[0].revents != 0 && !Handle()) break;
            const bool finished_one = fds[1].revents != 0 && ReportEndedRuns();
            // Only the end of a run, or orphans still dying, give work to look for.
            if (!finished_one && Clock::now() < next_sweep) continue;
            if (!Sweep()) {
                next_sweep = kNever;
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
    // Carries out one request; false when the program has hung up.
    bool Handle() {
        Request request{};
        std::string payload;
        std::vector<UniqueFd> fds;
        const ssize_t got = ReceiveMessage(m_socket, &request, sizeof request, 0, payload, fds);
        // 0: the program hung up; an error on a blocking socket: it is unusable.
        if (got <= 0) return false;
        // A request cut short is never sent; it is dropped.
        if (got < static_cast<ssize_t>(sizeof request)) return true;
        if (request.m_ask == Ask::kStart && fds.size() == 4) {
            std::string marker;
            const int read_error = ReadWhole(fds[3].Get(), payload);
            const pid_t shell =
                read_error != 0 ? -read_error : Start(payload, fds[0].Get(), fds[1].Get(), marker);
            if (shell < 0) {
                SendReport(fds[2].Get(), {-shell, 0});
            } else {
                m_runs.push_back(
                    {request.m_run, ProcessGroup(shell), std::move(marker), std::move(fds[2])});
            }
        } else if (request.m_ask == Ask::kStop) {
            for (const Run& run : m_runs) {
                // The shell's end is then reported as any end is.
                if (run.m_number == request.m_run) run.m_shell.Kill();
            }
        }
        return true;
    }

    // Reports and forgets every run whose shell has ended, after killing
    // what is left of its group and reaping the shell. True when one ended.
    bool ReportEndedRuns() {
        signalfd_siginfo info;
        // Drains the SIGCHLD events: one may stand for several ends, so every run is looked at.
        while (::read(m_childEvents, &info, sizeof info) > 0) {
        }
        const auto ended = std::stable_partition(
            m_runs.begin(), m_runs.end(), [](const Run& run) { return !run.m_shell.HasEnded(); });
        for (auto run = ended; run != m_runs.end(); ++run) {
            // What the bot left in its group goes, then the shell, which has
            // ended, is reaped without blocking.
            SendReport(run->m_report.Get(), {0, run->m_shell.End()});
        }
        const bool any = ended != m_runs.end();
        m_runs.erase(ended, m_runs.end());
        return any;
    }

    // Starts a run's shell; its pid and the run's `marker` (the last
    // environment entry), or minus an error number.
    pid_t Start(const std::string& payload, int folder_fd, int output_fd, std::string& marker) {
        // The payload: the command line, then the environment entries, each ending in NUL.
        std::vector<char*> words;
        for (std::size_t at = 0; at < payload.size();) {
            const std::size_t end = payload.find('\0', at);
            if (end == std::string::npos) break;
            words.push_back(const_cast<char*>(payload.data() + at));
            at = end + 1;
        }
        if (words.size() < 2) return -EINVAL;
        std::vector<char*> environment(words.begin() + 1, words.end());
        environment.push_back(nullptr);

        SpawnFileActions actions;
        actions.ChangeFolder(folder_fd);
        actions.OpenNull(STDIN_FILENO, O_RDONLY);
        actions.DuplicateTo(output_fd, STDOUT_FILENO);
        actions.DuplicateTo(output_fd, STDERR_FILENO);
        actions.CloseFrom(STDERR_FILENO + 1);
        SpawnAttributes attributes;
        attributes.SetUp(SpawnAttributes::kOwnSession);
        if (actions.Error() != 0) return -actions.Error();
        if (attributes.Error() != 0) return -attributes.Error();
        // "--" ends the shell's options, so a command line that begins with "-" is run.
        char* const argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                              const_cast<char*>("--"), words[0], nullptr};
        pid_t pid = -1;
        // posix_spawn reports a failure of any step in the child (the folder,
        // the exec) as its result.
        const int error = ::posix_spawn(&pid, "/bin/sh", actions.Get(), attributes.Get(), argv,
                                        environment.data());
        marker = words.back();
        return error != 0 ? -error : pid;
    }

    // True when `pid` may belong to a run still in flight: its shell, a
    // member of its group, or a process carrying its marker. One caught in
    // the middle of exec cannot be told apart and is spared; the end of its
    // own run, when no other is in flight, ends it.
    bool InFlight(pid_t pid) const {
        if (m_runs.empty()) return false;
        const pid_t group = ::getpgid(pid);
        for (const Run& run : m_runs) {
            if (pid == run.m_shell.Leader() || group == run.m_shell.Leader()) return true;
        }
        for (const Run& run : m_runs) {
            if (MayCarryMarker(pid, run.m_marker)) return true;
        }
        return false;
    }

    bool IsShellOfARun(pid_t pid) const {
        return std::any_of(m_runs.begin(), m_runs.end(),
                           [pid](const Run& run) { return run.m_shell.Leader() == pid; });
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
            // An orphan that has died is reaped whoever's it was; a run's
            // shell is reaped only once its end has been reported.
            if (!IsShellOfARun(pid) && ::waitpid(pid, nullptr, WNOHANG) == pid) continue;
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
    int m_childEvents;  // a signalfd for SIGCHLD
    std::vector<Run> m_runs;
};

[[noreturn]] void BecomeKeeper(int socket) {
    // Its standard streams hold nothing of the program's (a pipe it writes
    // to, the terminal); only the socket stays, as descriptor 3. The bots
    // start with no signal blocked.
    const int child_events = BecomeService({socket});
    if (child_events < 0) ::_exit(1);
    // Should the program have gone already, the first poll sees the
    // hang-up: only the program held the other end.
    Keeper(3, child_events).Serve();
}

// ---- The program's side. ----

class KeeperLink {
  public:
    // Sends one request, under the lock, starting the keeper when there is
    // none. 0 or an error number.
    int Send(const Request& request, const std::string& payload, const int* fds,
             std::size_t fd_count) {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A keeper that has gone (killed by someone) is replaced once.
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (const int error = EnsureKeeper(); error != 0) return error;
            // A bot may have stopped the keeper (SIGSTOP); it has to run to
            // end that bot. Ours until we reap it, so the pid is the keeper's.
            if (request.m_ask == Ask::kStop) ::kill(m_keeper, SIGCONT);
            const int error =
                SendMessage(m_socket.Get(), &request, sizeof request, payload, fds, fd_count);
            if (error != EPIPE && error != ECONNRESET) return error;
            Drop();
            // A stop was about a run of the keeper that has gone, which ended it.
            if (request.m_ask != Ask::kStart) return error;
        }
        return EPIPE;
    }

    // Starts the keeper when there is none. 0 or an error number.
    int Start() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return EnsureKeeper();
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

int StartThroughKeeper(std::uint64_t run, const std::string& command_line, int folder_fd,
                       int output_fd, int report_fd, const std::vector<char*>& environment) {
    if (command_line.find('\0') != std::string::npos) return EINVAL;
    std::string payload = command_line;
    payload += '\0';
    for (const char* entry : environment) {
        if (entry == nullptr) break;
        payload += entry;
        payload += '\0';
    }
    if (payload.size() > static_cast<std::size_t>(kMaxPayload)) return E2BIG;
    // Close-on-exec: the keeper gets its own copy through the socket.
    const UniqueFd memory(::memfd_create("jabbery-start", MFD_CLOEXEC));
    if (!memory.IsOpen()) return errno;
    for (std::size_t done = 0; done < payload.size();) {
        const ssize_t put = ::write(memory.Get(), payload.data() + done, payload.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return errno;
        done += static_cast<std::size_t>(put);
    }
    const int fds[4] = {folder_fd, output_fd, report_fd, memory.Get()};
    return Link().Send({Ask::kStart, run}, {}, fds, 4);
}

int StartKeeper() {
    return Link().Start();
}

void StopThroughKeeper(std::uint64_t run) {
    // Should this fail, the keeper has gone, and with it the run.
    Link().Send({Ask::kStop, run}, {}, nullptr, 0);
}

int ReadRunReport(int report_fd, int& status) {
    Report report{};
    ssize_t got = -1;
    do {
        // Blocks only until the keeper has reaped the shell, which is ending.
        got = ::read(report_fd, &report, sizeof report);
    } while (got < 0 && errno == EINTR);
    if (got != static_cast<ssize_t>(sizeof report)) return -1;
    status = report.m_status;
    return report.m_error;
}

}  // namespace jabbery
