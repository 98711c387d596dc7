// SPDX-License-Identifier: MIT
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/exchange_marker.h"
#include "platform/unique_fd.h"

extern char** environ;

namespace jabbery {

namespace {

// Reads a small /proc file whole (at most `limit` bytes); empty when it cannot.
std::string ReadProcFile(const std::string& path, std::size_t limit) {
    // O_CLOEXEC: no bot started meanwhile by another thread inherits it.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    std::string text;
    char chunk[4096];
    while (fd.IsOpen() && text.size() < limit) {
        const ssize_t got = ::read(fd.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(chunk, static_cast<std::size_t>(got));
    }
    return text;
}

// Our children, from every thread's list: an orphan comes to one of our threads.
std::vector<pid_t> OurChildren() {
    std::vector<pid_t> children;
    // opendir on /proc/self/task lists our threads.
    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr) return children;
    while (const dirent* task = ::readdir(tasks)) {
        if (task->d_name[0] == '.') continue;
        const std::string list =
            ReadProcFile(std::string("/proc/self/task/") + task->d_name + "/children", 1 << 20);
        const char* at = list.c_str();
        char* end = nullptr;
        for (long pid; (pid = std::strtol(at, &end, 10)), end != at; at = end) {
            children.push_back(static_cast<pid_t>(pid));
        }
    }
    ::closedir(tasks);
    return children;
}

// The process group of `pid` (its fifth stat field), also of a zombie;
// -1 when unknown. `state` is its state letter ('Z' for a zombie).
pid_t GroupOf(pid_t pid, char& state) {
    const std::string stat = ReadProcFile("/proc/" + std::to_string(pid) + "/stat", 4096);
    // The command name in parentheses may hold blanks and ")"; the fields after the last ")" do
    // not.
    const std::size_t name_end = stat.rfind(')');
    long parent = 0;
    long group = -1;
    if (name_end == std::string::npos ||
        std::sscanf(stat.c_str() + name_end + 1, " %c %ld %ld", &state, &parent, &group) != 3) {
        return -1;
    }
    return static_cast<pid_t>(group);
}

enum class Marked { kYes, kNo, kUnsure };

// Whether the live process `pid` has `marker` in its environment. A
// process in the midst of exec shows an empty one for a moment: unsure.
Marked CarriesMarker(pid_t pid, const std::string& marker) {
    const std::string environment =
        ReadProcFile("/proc/" + std::to_string(pid) + "/environ", 1 << 20);
    if (environment.empty()) return Marked::kUnsure;
    return ('\0' + environment).find('\0' + marker + '\0') != std::string::npos ? Marked::kYes
                                                                                : Marked::kNo;
}

void KillAndReap(pid_t pid) {
    // By pid only, and only a child of ours, whose pid cannot be reused before we reap it.
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// True when nothing of a run can be left: its group has no member (signal 0
// only asks; zombies count) and we have no child at all, so no orphan of it
// came to us either. Two system calls instead of a look through /proc.
bool NothingOfTheRunLeft(pid_t group) {
    if (::kill(-group, 0) == 0 || errno != ESRCH) return false;
    siginfo_t info{};
    // WNOHANG|WNOWAIT neither blocks nor reaps; ECHILD means no child of any of our threads.
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 && errno == ECHILD;
}

}  // namespace

bool BecomeChildSubreaper() {
    // Static: the first caller sets it, for the whole process, thread-safely.
    static const bool done = ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
    return done;
}

std::string NewExchangeMarker() {
    static std::atomic<unsigned long long> count{0};
    return std::string(kExchangeMarkerName) + "=" + std::to_string(::getpid()) + "." +
           std::to_string(++count);
}

std::vector<char*> EnvironmentWith(const std::string& marker) {
    const std::string_view prefix(marker.c_str(), std::strlen(kExchangeMarkerName) + 1);
    std::vector<char*> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (std::string_view(*entry).substr(0, prefix.size()) != prefix) entries.push_back(*entry);
    }
    // exec takes non-const strings for historical reasons; it does not change them.
    entries.push_back(const_cast<char*>(marker.c_str()));
    entries.push_back(nullptr);
    return entries;
}

void EndRunsChildren(pid_t group, const std::string& marker, std::chrono::milliseconds patience) {
    // The common case: the bot left nothing behind.
    if (NothingOfTheRunLeft(group)) return;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    std::vector<pid_t> groups = {group};
    for (;;) {
        bool ended_one = false;
        bool unsure = false;
        for (const pid_t pid : OurChildren()) {
            char state = 0;
            const pid_t child_group = GroupOf(pid, state);
            const bool ours = std::find(groups.begin(), groups.end(), child_group) != groups.end();
            // A zombie's environment cannot be read: only its group tells.
            const Marked marked = ours || state == 'Z' ? Marked::kNo : CarriesMarker(pid, marker);
            unsure = unsure || marked == Marked::kUnsure;
            if (!ours && marked != Marked::kYes) continue;
            // A marked group leader's group holds only what it started.
            if (!ours && child_group == pid) groups.push_back(pid);
            KillAndReap(pid);
            ended_one = true;
        }
        if (ended_one) continue;
        // Signal 0 only asks whether the group still has members (zombies count).
        const bool members_left = ::kill(-group, 0) == 0;
        if ((!members_left && !unsure) || std::chrono::steady_clock::now() >= deadline) return;
        // Members are still dying and coming to us, or a child is in the
        // midst of exec: look again in a moment.
        ::usleep(1000);
    }
}

}  // namespace jabbery
