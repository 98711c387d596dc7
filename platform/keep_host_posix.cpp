// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <libgen.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <system_error>

#include "platform/exchange_marker.h"
#include "platform/fd_passing_posix.h"
#include "platform/kept_programs.h"
#include "platform/runtime_folder.h"
#include "platform/service_process_posix.h"

namespace jabbery {

namespace {

using Clock = std::chrono::steady_clock;

// The largest request: a name and a command line, far more than either takes.
constexpr std::size_t kMaxRequest = 64 * 1024;

// How long a connected bot may take to send its request before it is dropped.
constexpr timeval kRequestPatience{2, 0};

// How long the host goes on ending what the kept programs left once it is told to end.
constexpr auto kLastSweepPatience = std::chrono::seconds(10);

// How often the host may be stopped while it ends before it counts as held
// up for good: a process it kept stops it again whenever it is woken.
constexpr int kMostStops = 20;

// How long a held-up host's processes may take to be ended from outside.
constexpr auto kHeldUpPatience = std::chrono::seconds(2);

std::string ErrorText(int error) {
    return std::system_category().message(error);
}

// Whether process `pid` has ended (a zombie) or is not there.
bool HasEnded(pid_t pid) {
    char stat[512] = {};
    const UniqueFd fd(
        ::open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.IsOpen() || ::read(fd.Get(), stat, sizeof stat - 1) <= 0) return true;
    // The state follows the command's name, which may hold anything, in parentheses.
    const char* state = std::strrchr(stat, ')');
    return state == nullptr || state[1] == '\0' || state[2] == 'Z' || state[2] == 'X';
}

// Ends the host `host`, which is held up, with everything it has, and
// reaps it. Stopped, it reaps nothing, so the pids of its children stay
// theirs; what a killed child leaves comes to the host (a subreaper), and
// is killed in turn.
void KillHeldUpHost(pid_t host) {
    ::kill(host, SIGSTOP);
    const auto deadline = Clock::now() + kHeldUpPatience;
    for (bool alive = true; alive && Clock::now() < deadline;) {
        alive = false;
        for (const pid_t child : ChildrenOf(host)) {
            if (HasEnded(child)) continue;
            alive = true;
            ::kill(child, SIGKILL);
        }
        if (alive) ::usleep(1000);
    }
    ::kill(host, SIGKILL);
    while (::waitpid(host, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// One kept program: whose it is (the bot's folder and the name it asked
// for), what runs, and the end of its socket that is handed to the bot.
struct Kept {
    dev_t m_device;
    ino_t m_inode;
    std::string m_name;
    std::vector<std::string> m_command;
    pid_t m_leader = -1;  // leads a process group of its own; -1 once it has ended
    UniqueFd m_botEnd;
    Clock::time_point m_lastUse;
};

// Starts `command` in `folder_fd` with `program_end` as its standard input
// and output, leading a group of its own, ended by the kernel should the
// host die. Its pid, or minus an error number.
pid_t StartKept(const std::vector<std::string>& command, int folder_fd, int program_end) {
    int report[2];
    // Close-on-exec: the pipe closes by itself when the exec succeeds; a
    // failed one writes its errno there first.
    if (::pipe2(report, O_CLOEXEC) != 0) return -errno;
    const pid_t host = ::getpid();
    // fork, not posix_spawn: the child must ask for its parent's death signal
    // before it runs the program, and the host has one thread, so fork is safe.
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return -error;
    }
    if (pid == 0) {
        // A group of its own, so its end takes with it what it started in it.
        ::setpgid(0, 0);
        // Should the host die (killed by someone), the kernel ends the program.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != host) ::_exit(127);
        int error = ::fchdir(folder_fd) == 0 ? 0 : errno;
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(program_end, STDIN_FILENO);
        ::dup2(program_end, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        // The report pipe above the standard streams, then nothing else of ours.
        ::dup3(report[1], 3, O_CLOEXEC);
        ::close_range(4, ~0u, 0);
        // The program starts with every signal at its default and none blocked.
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        for (int number = 1; number < NSIG; ++number) ::sigaction(number, &action, nullptr);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (error == 0) {
            std::vector<char*> argv;
            for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
            argv.push_back(nullptr);
            ::execvp(argv[0], argv.data());
            error = errno;
        }
        [[maybe_unused]] const ssize_t written = ::write(3, &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int error = 0;
    ssize_t got = -1;
    do {
        // Returns at the exec (the pipe closes) or with the error the child wrote.
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        // The child has ended or is ending: reaped with the other ends.
        return -error;
    }
    return pid;
}

class Host {
  public:
    Host(int link, int listener, int child_events, std::chrono::milliseconds idle)
        : m_link(link), m_listener(listener), m_childEvents(child_events), m_idle(idle) {}

    // Serves requests until Jabbery's link hangs up, then ends every kept program.
    void Serve() {
        for (;;) {
            pollfd fds[3] = {
                {m_link, POLLIN, 0}, {m_listener, POLLIN, 0}, {m_childEvents, POLLIN, 0}};
            // Sleeps until a bot asks, a program ends, Jabbery goes or a
            // program has been idle too long.
            if (::poll(fds, 3, IdleTimeout()) < 0 && errno != EINTR) ::usleep(1000);
            if (fds[0].revents != 0) break;
            if (fds[2].revents != 0) ReapEnded();
            if (fds[1].revents != 0) Answer();
            EndIdle();
        }
        for (Kept& kept : m_kept) EndProgram(kept);
        // Reaped first: only once a program has ended have the children it
        // started in sessions of their own come to us, for the sweep to find.
        for (Kept& kept : m_kept) {
            if (kept.m_leader > 0) ::waitpid(kept.m_leader, nullptr, 0);
            kept.m_leader = -1;
        }
        const auto deadline = Clock::now() + kLastSweepPatience;
        while (SweepOrphans() && Clock::now() < deadline) ::usleep(1000);
    }

  private:
    // Milliseconds until the next idle program is due to end, -1 when none runs.
    int IdleTimeout() const {
        Clock::time_point next = Clock::time_point::max();
        for (const Kept& kept : m_kept) {
            if (kept.m_leader > 0) next = std::min(next, kept.m_lastUse + m_idle);
        }
        if (next == Clock::time_point::max()) return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
        return static_cast<int>(std::clamp<long long>(left.count(), 0, 24 * 3600 * 1000));
    }

    void EndIdle() {
        const auto now = Clock::now();
        for (Kept& kept : m_kept) {
            if (kept.m_leader > 0 && now >= kept.m_lastUse + m_idle) EndProgram(kept);
        }
    }

    // Kills the program's group; its end is then seen as any end is.
    static void EndProgram(Kept& kept) {
        // The group id is the leader's pid, ours until we reap it.
        if (kept.m_leader > 0) ::kill(-kept.m_leader, SIGKILL);
    }

    // Reaps whatever has ended; a kept program that ended takes its socket
    // with it, and whatever it left running in its group or as an orphan goes too.
    void ReapEnded() {
        signalfd_siginfo info;
        // One event may stand for several ends: the waits below find them all.
        while (::read(m_childEvents, &info, sizeof info) > 0) {
        }
        for (Kept& kept : m_kept) {
            if (kept.m_leader <= 0) continue;
            siginfo_t status{};
            // WNOWAIT: the leader stays unreaped, so its group id is still ours to kill.
            if (::waitid(P_PID, static_cast<id_t>(kept.m_leader), &status,
                         WEXITED | WNOHANG | WNOWAIT) != 0 ||
                status.si_pid == 0) {
                continue;
            }
            ::kill(-kept.m_leader, SIGKILL);
            ::waitpid(kept.m_leader, nullptr, 0);
            kept.m_leader = -1;
            kept.m_botEnd.Reset();
        }
        SweepOrphans();
    }

    // Kills and reaps every child that is no kept program: what kept
    // programs left when their parents ended. True when there was any.
    bool SweepOrphans() {
        bool found = false;
        for (const pid_t pid : ChildrenOf(::getpid())) {
            const bool kept = std::any_of(m_kept.begin(), m_kept.end(),
                                          [pid](const Kept& each) { return each.m_leader == pid; });
            if (kept) continue;
            found = true;
            // By pid only: a child of ours, whose pid cannot be reused before we reap it.
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, WNOHANG);
        }
        return found;
    }

    // Takes one bot's request and answers it.
    void Answer() {
        // Close-on-exec: no kept program inherits another bot's connection.
        UniqueFd bot(::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC));
        if (!bot.IsOpen()) return;
        // A bot that connects and says nothing must not hold up the others.
        ::setsockopt(bot.Get(), SOL_SOCKET, SO_RCVTIMEO, &kRequestPatience,
                     sizeof kRequestPatience);
        char head[5] = {};
        std::string payload;
        std::vector<UniqueFd> fds;
        const ssize_t got = ReceiveMessage(bot.Get(), head, sizeof head, kMaxRequest, payload, fds);
        std::vector<std::string> words;
        for (std::size_t at = 0; at < payload.size();) {
            const std::size_t end = payload.find('\0', at);
            if (end == std::string::npos) break;
            words.push_back(payload.substr(at, end - at));
            at = end + 1;
        }
        struct stat folder {};
        std::string answer;
        int connection = -1;
        if (got <= 0 || std::string_view(head, sizeof head) != std::string_view("keep\0", 5) ||
            words.size() < 2 || words[1].empty() || fds.size() != 1 ||
            ::fstat(fds[0].Get(), &folder) != 0 || !S_ISDIR(folder.st_mode)) {
            answer = "error: the request is not \"keep\", a name and a command, with the folder";
        } else {
            answer =
                Keep(folder, words[0], {words.begin() + 1, words.end()}, fds[0].Get(), connection);
        }
        SendMessage(bot.Get(), answer.c_str(), answer.size() + 1, {}, &connection,
                    connection >= 0 ? 1 : 0);
    }

    // The program kept for `folder` under `name`, started when it does not
    // run; the answer's word, with its connection in `connection`.
    std::string Keep(const struct stat& folder, const std::string& name,
                     const std::vector<std::string>& command, int folder_fd, int& connection) {
        auto kept = std::find_if(m_kept.begin(), m_kept.end(), [&](const Kept& each) {
            return each.m_device == folder.st_dev && each.m_inode == folder.st_ino &&
                   each.m_name == name;
        });
        if (kept != m_kept.end() && kept->m_leader > 0 && kept->m_command == command) {
            kept->m_lastUse = Clock::now();
            connection = kept->m_botEnd.Get();
            return "running";
        }
        const bool before = kept != m_kept.end();
        if (before && kept->m_leader > 0) {
            // Another command under the same name: the old program goes first.
            ::kill(-kept->m_leader, SIGKILL);
            ::waitpid(kept->m_leader, nullptr, 0);
        }
        int ends[2];
        // A stream socket both ways: the program reads and writes it as it
        // would a terminal's lines; close-on-exec keeps both ends out of
        // other programs (the program gets its copy through dup2).
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
            return "error: cannot make a connection: " + ErrorText(errno);
        }
        UniqueFd bot_end(ends[0]);
        const UniqueFd program_end(ends[1]);
        const pid_t pid = StartKept(command, folder_fd, program_end.Get());
        if (pid < 0) {
            if (before) m_kept.erase(kept);
            return "error: cannot run " + command[0] + ": " + ErrorText(-pid);
        }
        if (!before)
            kept = m_kept.insert(m_kept.end(),
                                 Kept{folder.st_dev, folder.st_ino, name, {}, -1, {}, {}});
        kept->m_command = command;
        kept->m_leader = pid;
        kept->m_botEnd = std::move(bot_end);
        kept->m_lastUse = Clock::now();
        connection = kept->m_botEnd.Get();
        return before ? "restarted" : "started";
    }

    int m_link;
    int m_listener;
    int m_childEvents;
    std::chrono::milliseconds m_idle;
    std::vector<Kept> m_kept;
};

[[noreturn]] void BecomeHost(int link, int listener, const std::string& socket_path,
                             std::chrono::milliseconds idle,
                             const std::vector<std::string>& environment) {
    // Jabbery's link becomes descriptor 3, the socket 4; the host ends its
    // programs when the link hangs up.
    const int child_events = BecomeService({link, listener});
    if (child_events < 0) ::_exit(1);
    for (const std::string& entry : environment) ::putenv(const_cast<char*>(entry.c_str()));
    // A kept program is no turn's: it carries no turn's marker.
    ::unsetenv(kExchangeMarkerName);
    Host(3, 4, child_events, idle).Serve();
    // The conversation is over, also when Jabbery died without removing its folder.
    std::string folder = socket_path;
    RemoveRuntimeFolder(::dirname(folder.data()));
    ::_exit(0);
}

}  // namespace

bool KeepHost::Start(const std::string& socket_path, std::chrono::milliseconds idle,
                     const std::vector<std::string>& environment, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket_path.size() >= sizeof address.sun_path) {
        error = "the path " + socket_path + " is too long for a socket";
        return false;
    }
    std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
    // Close-on-exec: only the host holds it once it is forked.
    UniqueFd listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener.IsOpen() ||
        ::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.Get(), 16) != 0) {
        error = "cannot listen at " + socket_path + ": " + ErrorText(errno);
        return false;
    }
    int link[2];
    // Only we hold the write end: when we end, however, the host reads its hang-up.
    if (::pipe2(link, O_CLOEXEC) != 0) {
        error = "cannot make a pipe: " + ErrorText(errno);
        return false;
    }
    UniqueFd host_end(link[0]);
    UniqueFd our_end(link[1]);
    // fork, not a new program: the host needs nothing but this file's code.
    const pid_t host = ::fork();
    if (host < 0) {
        error = "cannot start the host of kept programs: " + ErrorText(errno);
        return false;
    }
    if (host == 0) {
        ::close(our_end.Release());
        BecomeHost(host_end.Release(), listener.Release(), socket_path, idle, environment);
    }
    m_link = std::move(our_end);
    m_host = host;
    return true;
}

KeepHost::~KeepHost() {
    Stop();
}

void KeepHost::Stop() {
    if (m_host <= 0) return;
    m_link.Reset();
    // The host ends once it has ended its programs; it never waits on a bot.
    // A kept program may stop it (SIGSTOP): it is woken to go on, and ended
    // from here should that never let it end. Ours until we reap it, so the
    // pid is the host's.
    for (int stops = 0; stops < kMostStops;) {
        ::kill(m_host, SIGCONT);
        siginfo_t info{};
        // Wakes when the host has ended (and reaps it) or is stopped again.
        const int waited = ::waitid(P_PID, static_cast<id_t>(m_host), &info, WEXITED | WSTOPPED);
        if (waited != 0 && errno == EINTR) continue;
        // Ended and reaped, or (should it fail) not ours to wait for.
        if (waited != 0 || info.si_code != CLD_STOPPED) {
            m_host = -1;
            return;
        }
        ++stops;
    }
    KillHeldUpHost(m_host);
    m_host = -1;
}

KeptProgram AskToKeep(const std::string& socket_path, const std::string& name,
                      const std::vector<std::string>& command, const std::string& folder_path,
                      std::chrono::milliseconds patience) {
    KeptProgram kept;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket_path.empty() || socket_path.size() >= sizeof address.sun_path) {
        kept.m_error = "no usable socket path in " + std::string(kKeepSocketVariable);
        return kept;
    }
    std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
    const UniqueFd host(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const UniqueFd folder(::open(folder_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!host.IsOpen() || !folder.IsOpen() ||
        ::connect(host.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        kept.m_error = "cannot reach " + socket_path + ": " + ErrorText(errno);
        return kept;
    }
    std::string payload = name + '\0';
    for (const std::string& word : command) payload += word + '\0';
    const int folder_fd = folder.Get();
    if (const int error = SendMessage(host.Get(), "keep\0", 5, payload, &folder_fd, 1);
        error != 0) {
        kept.m_error = "cannot ask " + socket_path + ": " + ErrorText(error);
        return kept;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(patience);
    const timeval wait{static_cast<time_t>(seconds.count()),
                       static_cast<suseconds_t>((patience - seconds).count() * 1000)};
    // A host that does not answer in time is a failure, not a hang.
    ::setsockopt(host.Get(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    char answer[512] = {};
    std::string rest;
    std::vector<UniqueFd> fds;
    const ssize_t got = ReceiveMessage(host.Get(), answer, sizeof answer - 1, 0, rest, fds);
    const std::string word(answer);
    if (got <= 0) {
        kept.m_error = "no answer from " + socket_path;
    } else if (word.rfind("error: ", 0) == 0 || fds.size() != 1) {
        kept.m_error = word.rfind("error: ", 0) == 0 ? word.substr(7) : "no connection came";
    } else {
        kept.m_connection = std::move(fds[0]);
        kept.m_start = word == "running"   ? KeptStart::kRunning
                       : word == "started" ? KeptStart::kStarted
                                           : KeptStart::kRestarted;
    }
    return kept;
}

}  // namespace jabbery
