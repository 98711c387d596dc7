// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/conversation.h"

namespace jabbery {

// The warning `program` writes after a turn of `bot` whose exchange did not
// end with an answer in time: one line naming the turn, the bot (by its
// number, its id + 1) and the cause, then up to three last lines of the
// bot's output, indented by two blanks. Everything the bot controls is
// filtered for a terminal when `for_terminal`.
std::string TurnWarning(std::string_view program, const Participant& bot, const Turn& turn,
                        bool for_terminal);

// Writes the TurnWarning of each recorded turn that failed.
class TurnWarnings final : public ConversationObserver {
  public:
    using Write = std::function<void(const std::string& warning)>;

    TurnWarnings(std::string program, bool for_terminal, Write write)
        : m_program(std::move(program)), m_forTerminal(for_terminal), m_write(std::move(write)) {}

    void TurnRecorded(const Conversation& conversation, const Turn& turn) override {
        if (turn.m_outcome.Answered()) return;
        m_write(TurnWarning(m_program, conversation.Get(turn.m_speaker), turn, m_forTerminal));
    }

  private:
    std::string m_program;
    bool m_forTerminal;
    Write m_write;
};

}  // namespace jabbery
