// SPDX-License-Identifier: MIT
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "values/shell_quote.h"

namespace jabbery::testing {

// `text` as one word for /bin/sh, for tests that run commands through it.
inline std::string Quote(const std::string& text) {
    return ShellQuote(text);
}

// The state letter and process group of `pid` from /proc, or false when there is no such process.
inline bool ProcessState(const std::string& pid, char& state, long& group) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return false;
    // The command name in parentheses may hold blanks; the fields after it do not.
    std::istringstream rest(text.substr(text.rfind(')') + 1));
    long parent = 0;
    return static_cast<bool>(rest >> state >> parent >> group);
}

// True when a process of `group` still runs; a zombie (which init may
// never reap in some containers) runs nothing and counts as gone.
inline bool GroupHasLiveProcess(long group) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        char state = 0;
        long process_group = 0;
        if (ProcessState(name, state, process_group) && process_group == group && state != 'Z' &&
            state != 'X') {
            return true;
        }
    }
    return false;
}

// True when `pid` names a process that still runs (not a zombie).
inline bool ProcessIsLive(const std::string& pid) {
    char state = 0;
    long group = 0;
    return ProcessState(pid, state, group) && state != 'Z' && state != 'X';
}

// Polls `condition` until it holds or `seconds` pass; true when it held.
// A killed process may run a moment after kill() returns: tests wait for it.
template <typename Condition>
bool Eventually(Condition condition, int seconds = 10) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Runs `check` as a user bound by file permissions: for root, in a child
// that first becomes `nobody` (the files it needs must be open to others).
// No value when that cannot be had; the test then skips and says why.
template <typename Check>
std::optional<bool> RunUnprivileged(Check check) {
    if (::geteuid() != 0) return check();
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0) return std::nullopt;
    if (child == 0) {
        // Groups first, while we may still change them; then the user, for good.
        const bool dropped = ::setgroups(0, nullptr) == 0 &&
                             ::setresgid(nobody->pw_gid, nobody->pw_gid, nobody->pw_gid) == 0 &&
                             ::setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) == 0;
        ::_exit(!dropped ? 2 : check() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 2) {
        return std::nullopt;
    }
    return WEXITSTATUS(status) == 0;
}

}  // namespace jabbery::testing
