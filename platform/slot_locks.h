// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "platform/unique_fd.h"

namespace jabbery {

// Locks on numbered slots of one file, one process against the others: a
// slot another process holds cannot be taken until it lets go (or dies).
// Every thread of this process shares the locks it takes.
class SlotLocks {
  public:
    // Opens `path` for the locks, made when missing and never written to.
    // False with a message for the user in `error` when it cannot be opened.
    bool Open(const std::string& path, std::string& error);
    // Takes slot `slot` without waiting; false only when another process
    // holds it (a file system without locks lets every slot be taken).
    bool TryTake(std::uint64_t slot) const;
    // Lets go of slot `slot`.
    void Release(std::uint64_t slot) const;

  private:
    UniqueFd m_fd;
};

// Holds a slot of `locks` for as long as it lives, when it could take it.
class SlotHold {
  public:
    SlotHold(const SlotLocks& locks, std::uint64_t slot)
        : m_locks(locks), m_slot(slot), m_taken(locks.TryTake(slot)) {}
    ~SlotHold() {
        if (m_taken) m_locks.Release(m_slot);
    }
    SlotHold(const SlotHold&) = delete;
    SlotHold& operator=(const SlotHold&) = delete;

    bool Taken() const { return m_taken; }

  private:
    const SlotLocks& m_locks;
    std::uint64_t m_slot;
    bool m_taken;
};

}  // namespace jabbery
