// SPDX-License-Identifier: MIT
#include "platform/process_group_posix.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace jabbery {

namespace {

// How often a wait looks at the leader when the kernel has no pidfd.
constexpr int kPollSliceMs = 10;

}  // namespace

ProcessGroup::ProcessGroup(pid_t leader)
    // A pidfd becomes readable when the leader ends, so a wait needs no
    // SIGCHLD handler; kernels before 5.3 have none (-1).
    : m_leader(leader), m_endFd(static_cast<int>(::syscall(SYS_pidfd_open, leader, 0))) {}

ProcessGroup::~ProcessGroup() {
    End();
}

ProcessGroup::ProcessGroup(ProcessGroup&& other) noexcept
    : m_leader(std::exchange(other.m_leader, -1)),
      m_endFd(std::move(other.m_endFd)),
      m_reaped(std::exchange(other.m_reaped, true)),
      m_status(other.m_status) {}

ProcessGroup& ProcessGroup::operator=(ProcessGroup&& other) noexcept {
    if (this != &other) {
        End();
        m_leader = std::exchange(other.m_leader, -1);
        m_endFd = std::move(other.m_endFd);
        m_reaped = std::exchange(other.m_reaped, true);
        m_status = other.m_status;
    }
    return *this;
}

bool ProcessGroup::HasEnded() const {
    siginfo_t info{};
    // WNOWAIT looks without reaping, so the group id stays ours; WNOHANG does
    // not block. An error (ECHILD: not ours to wait for) counts as ended.
    const int looked =
        ::waitid(P_PID, static_cast<id_t>(m_leader), &info, WEXITED | WNOHANG | WNOWAIT);
    return looked != 0 ? errno != EINTR : info.si_pid != 0;
}

void ProcessGroup::Kill() const {
    // The leader is unreaped, so the group id is still ours. ESRCH (nobody left) is fine.
    if (!m_reaped) ::kill(-m_leader, SIGKILL);
}

int ProcessGroup::End(std::chrono::milliseconds term_grace) {
    if (m_reaped) return m_status;
    m_reaped = true;
    if (term_grace.count() > 0 && !HasEnded()) {
        // SIGTERM first, to the whole group: a program may tidy up.
        ::kill(-m_leader, SIGTERM);
        WaitForEnd(term_grace);
    }
    // SIGKILL to the group ends what ignored SIGTERM and whatever the
    // leader left running in its group. ESRCH (nobody left) is fine.
    ::kill(-m_leader, SIGKILL);
    // Blocks only until the SIGKILL takes effect; reaping leaves no zombie.
    while (::waitpid(m_leader, &m_status, 0) != m_leader) {
        if (errno != EINTR) return m_status = 0;
    }
    return m_status;
}

void ProcessGroup::WaitForEnd(std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!HasEnded() && std::chrono::steady_clock::now() < deadline) {
        pollfd fd{m_endFd.Get(), POLLIN, 0};
        // Wakes when the leader ends (or after a slice without a pidfd).
        ::poll(&fd, m_endFd.IsOpen() ? 1 : 0, kPollSliceMs);
    }
}

}  // namespace jabbery
