// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace jabbery {

// The lines a human has typed, waiting for the conversation to take them:
// a reader's thread adds them, the conversation's thread takes them.
class HumanLines {
  public:
    virtual ~HumanLines() = default;

    // The next whole line typed (without its line end), or none when none has come.
    std::optional<std::string> Next();
    // True once the input has ended and each of its lines has been taken.
    bool Ended();

  protected:
    void Add(std::string line);
    // Nothing more comes.
    void End();

  private:
    std::mutex m_mutex;
    std::deque<std::string> m_lines;
    bool m_ended = false;
};

}  // namespace jabbery
