// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <thread>

#include "cli/human_lines.h"

namespace jabbery {

// Reads a human's lines from a descriptor (standard input that is not a
// terminal: a pipe or a file) on a thread of its own, as they come, so the
// conversation never waits for them. The end of input means the human says
// nothing more. A CR before a line end is dropped.
class HumanInput final : public HumanLines {
  public:
    explicit HumanInput(int fd);
    ~HumanInput() override;  // stops reading and joins the thread
    HumanInput(const HumanInput&) = delete;
    HumanInput& operator=(const HumanInput&) = delete;

  private:
    void Read();

    int m_fd;
    std::atomic<bool> m_stop{false};
    std::thread m_reader;
};

}  // namespace jabbery
