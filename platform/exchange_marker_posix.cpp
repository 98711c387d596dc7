// SPDX-License-Identifier: MIT
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

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

// The environment of process `pid` as /proc shows it ("NAME=value" entries,
// each ending in NUL); empty for a zombie or one that cannot be read. Read
// whole, up to more than Linux lets a program start with: the marker may
// be its last entry.
std::string EnvironmentOf(pid_t pid) {
    return ReadProcFile("/proc/" + std::to_string(pid) + "/environ", 8 << 20);
}

bool Holds(const std::string& environment, const std::string& marker) {
    return ('\0' + environment).find('\0' + marker + '\0') != std::string::npos;
}

// Kills every process that has `marker` in its environment; true when it found any.
bool KillMarkedOnce(const std::string& marker) {
    DIR* processes = ::opendir("/proc");
    if (processes == nullptr) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(processes)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || pid <= 0) continue;
        // A pidfd holds on to the process, so the look below is at the one
        // that is killed, even should its pid be reused meanwhile; without
        // pidfds (kernels before 5.3) the kill goes by pid.
        const UniqueFd process(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
        if (!process.IsOpen() && errno != ENOSYS) continue;  // gone
        if (!Holds(EnvironmentOf(static_cast<pid_t>(pid)), marker)) continue;
        found = true;
        if (process.IsOpen()) {
            ::syscall(SYS_pidfd_send_signal, process.Get(), SIGKILL, nullptr, 0);
        } else {
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
    }
    ::closedir(processes);
    return found;
}

}  // namespace

std::vector<pid_t> ChildrenOf(pid_t process) {
    std::vector<pid_t> children;
    const std::string folder = "/proc/" + std::to_string(process) + "/task";
    // opendir on /proc/PID/task lists its threads.
    DIR* tasks = ::opendir(folder.c_str());
    if (tasks == nullptr) return children;
    while (const dirent* task = ::readdir(tasks)) {
        if (task->d_name[0] == '.') continue;
        const std::string list = ReadProcFile(folder + "/" + task->d_name + "/children", 1 << 20);
        const char* at = list.c_str();
        char* end = nullptr;
        for (long pid; (pid = std::strtol(at, &end, 10)), end != at; at = end) {
            children.push_back(static_cast<pid_t>(pid));
        }
    }
    ::closedir(tasks);
    return children;
}

bool MayCarryMarker(pid_t pid, const std::string& marker) {
    const std::string environment = EnvironmentOf(pid);
    return environment.empty() || Holds(environment, marker);
}

void KillMarkedProcesses(const std::string& marker, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (KillMarkedOnce(marker) && std::chrono::steady_clock::now() < deadline) ::usleep(1000);
}

std::string NewExchangeMarker() {
    static std::atomic<unsigned long long> count{0};
    return std::string(kExchangeMarkerName) + "=" + std::to_string(::getpid()) + "." +
           std::to_string(++count);
}

std::vector<char*> EnvironmentWith(const std::string& marker,
                                   const std::vector<std::string>& extra) {
    // The names that ours replace, each with its "=".
    std::vector<std::string_view> replaced = {
        std::string_view(marker.c_str(), std::strlen(kExchangeMarkerName) + 1)};
    for (const std::string& entry : extra) {
        // An entry without "=" names nothing to replace.
        if (const std::size_t equals = entry.find('='); equals != std::string::npos) {
            replaced.push_back(std::string_view(entry).substr(0, equals + 1));
        }
    }
    const auto is_replaced = [&replaced](std::string_view entry) {
        return std::any_of(replaced.begin(), replaced.end(), [entry](std::string_view prefix) {
            return entry.substr(0, prefix.size()) == prefix;
        });
    };
    std::vector<char*> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (!is_replaced(*entry)) entries.push_back(*entry);
    }
    // exec takes non-const strings for historical reasons; it does not change them.
    for (const std::string& entry : extra) entries.push_back(const_cast<char*>(entry.c_str()));
    entries.push_back(const_cast<char*>(marker.c_str()));
    entries.push_back(nullptr);
    return entries;
}

}  // namespace jabbery
