// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace jabbery {

// Reads a human's lines from a descriptor (standard input) on a thread of
// its own, as they come, so the conversation never waits for them. The end
// of input means the human says nothing more.
class HumanInput {
  public:
    explicit HumanInput(int fd);
    ~HumanInput();  // stops reading and joins the thread
    HumanInput(const HumanInput&) = delete;
    HumanInput& operator=(const HumanInput&) = delete;

    // The next whole line read (without its line end, a CR before it
    // dropped), or none when none has come.
    std::optional<std::string> Next();

  private:
    void Read();

    int m_fd;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::deque<std::string> m_lines;
    std::thread m_reader;
};

}  // namespace jabbery
