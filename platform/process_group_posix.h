// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <chrono>

#include "platform/unique_fd.h"

namespace jabbery {

// A started child of ours that leads a process group of its own, until it is
// reaped. The group id is the leader's pid, which stays ours only while the
// leader is unreaped, so the group is always killed before the leader is
// reaped; the destructor does both when nobody did.
class ProcessGroup {
  public:
    explicit ProcessGroup(pid_t leader);
    ~ProcessGroup();
    ProcessGroup(ProcessGroup&& other) noexcept;
    ProcessGroup& operator=(ProcessGroup&& other) noexcept;
    ProcessGroup(const ProcessGroup&) = delete;
    ProcessGroup& operator=(const ProcessGroup&) = delete;

    pid_t Leader() const { return m_leader; }

    // A descriptor that becomes readable when the leader ends, for a poll;
    // -1 on kernels without one (before 5.3): look at HasEnded now and then.
    int EndDescriptor() const { return m_endFd.Get(); }

    // True once the leader has ended (or cannot be waited for); it stays
    // unreaped, keeping the group id ours.
    bool HasEnded() const;

    // SIGKILL to the whole group at once; End then reaps the leader.
    void Kill() const;

    // Ends the group and reaps the leader: a leader still running is first
    // sent SIGTERM with its group and given `term_grace` to go, then
    // whatever is left of the group is killed. Returns the leader's wait
    // status (0 when none could be had); later calls return it again.
    int End(std::chrono::milliseconds term_grace = std::chrono::milliseconds(0));

  private:
    void WaitForEnd(std::chrono::milliseconds limit) const;

    pid_t m_leader;
    UniqueFd m_endFd;
    bool m_reaped = false;
    int m_status = 0;
};

}  // namespace jabbery
