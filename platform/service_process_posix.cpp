// SPDX-License-Identifier: MIT
#include "platform/service_process_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace jabbery {

int BecomeService(const std::vector<int>& keep) {
    ::setsid();
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    // What is kept first moves above the standard streams, in case one of
    // them is one (a program started with a standard stream closed).
    std::vector<int> moved;
    for (const int fd : keep) moved.push_back(::fcntl(fd, F_DUPFD, 10));
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd <= 2; ++fd) ::dup2(null, fd);
    int next = 3;
    for (const int fd : moved) ::dup2(fd, next++);
    ::close_range(static_cast<unsigned>(next), ~0u, 0);
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
