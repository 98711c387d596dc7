// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>

namespace jabbery {

class InputLine;
class StopAwareOutput;

// How long a turn runs before the terminal says whom it waits for.
inline constexpr std::chrono::seconds kWaitingLineAfter{2};

// Takes a terminal's line away: back to its start, then erased to its end.
inline constexpr const char* kClearLine = "\r\x1b[K";

// "waiting for SLOW (5 s)…": the bot's name as the transcript shows it and
// the whole seconds it has taken. On a terminal `columns` wide (0: width
// unknown) it stays within one line, so that it can be taken back: the name
// is cut first ("waiting for SLO… (5 s)…"), then on a very narrow one the
// rest. A character other than ASCII counts as two columns, as a wide one takes.
std::string WaitingText(const std::string& shown_name, std::chrono::milliseconds waited,
                        int columns = 0);

// Says on a terminal (standard error) which bot the conversation waits
// for, on one line that is rewritten in place and cleared when the turn
// ends; with a human's input line (not null), that line is the one just
// above it.
class WaitingLine {
  public:
    explicit WaitingLine(StopAwareOutput& terminal, InputLine* input_line = nullptr)
        : m_terminal(terminal), m_inputLine(input_line) {}

    // Shows (or updates) the line for the bot `name` (filtered for the
    // terminal here) that has run for `waited`.
    void Show(const std::string& name, std::chrono::milliseconds waited);
    // Takes the line away, when one is shown.
    void Clear();

  private:
    StopAwareOutput& m_terminal;
    InputLine* m_inputLine;
    bool m_shown = false;
};

}  // namespace jabbery
