// SPDX-License-Identifier: MIT
#pragma once

#include <utility>

namespace jabbery {

// Closes a file descriptor when it goes out of scope. -1 holds nothing.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    // Hands the descriptor over without closing it; this then holds none.
    int Release() { return std::exchange(m_fd, -1); }
    // Closes the descriptor now; a failed close leaves nothing to do.
    void Reset();

  private:
    int m_fd = -1;
};

}  // namespace jabbery
