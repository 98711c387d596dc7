// SPDX-License-Identifier: MIT
#include "platform/service_process_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>

namespace jabbery {

namespace {

// Closes every descriptor but those of `keep`.
void CloseAllBut(std::vector<int> keep) {
    std::sort(keep.begin(), keep.end());
    unsigned from = 0;
    for (const int fd : keep) {
        if (static_cast<unsigned>(fd) > from) ::close_range(from, static_cast<unsigned>(fd) - 1, 0);
        from = static_cast<unsigned>(fd) + 1;
    }
    ::close_range(from, ~0u, 0);
}

// Puts `keep` at 3, 4, ... in order; false when a descriptor cannot be had.
// Nothing else is open, so under any limit of at least twice their number
// and three there is room to move each out of another's way first.
bool MoveToTargets(std::vector<int> keep) {
    const int past_targets = 3 + static_cast<int>(keep.size());
    for (std::size_t i = 0; i < keep.size(); ++i) {
        const int fd = keep[i];
        if (fd == 3 + static_cast<int>(i) || fd >= past_targets) continue;
        // On a standard stream or on another's target: moved above them all.
        keep[i] = ::fcntl(fd, F_DUPFD, past_targets);
        if (keep[i] < 0) return false;
        ::close(fd);
    }
    for (std::size_t i = 0; i < keep.size(); ++i) {
        const int target = 3 + static_cast<int>(i);
        if (keep[i] == target) continue;
        if (::dup2(keep[i], target) != target) return false;
        ::close(keep[i]);
    }
    return true;
}

}  // namespace

int BecomeService(const std::vector<int>& keep) {
    ::setsid();
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    // Nothing but what is kept stays open, so that a low limit of open
    // descriptors leaves room for the moves.
    CloseAllBut(keep);
    if (!MoveToTargets(keep)) return -1;
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= 2; ++fd) ::dup2(null, fd);
    if (null > 2) ::close(null);
    struct sigaction action {};
    for (int number = 1; number < NSIG; ++number) {
        action.sa_handler = number == SIGPIPE ? SIG_IGN : SIG_DFL;
        ::sigaction(number, &action, nullptr);
    }
    sigset_t child_ended;
    sigemptyset(&child_ended);
    sigaddset(&child_ended, SIGCHLD);
    ::sigprocmask(SIG_SETMASK, &child_ended, nullptr);
    return ::signalfd(-1, &child_ended, SFD_NONBLOCK | SFD_CLOEXEC);
}

}  // namespace jabbery
