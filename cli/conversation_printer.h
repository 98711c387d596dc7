// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "values/bot_colours.h"

namespace jabbery {

struct ConversationState;
class StopAwareOutput;

// Prints the conversation's plain lines as they are added, each in its
// bot's colour when writing to a terminal: introductions in bold, a turn's
// name in bold and its reply in regular weight, as the window shows them.
// On a background COLORFGBG names, each colour is made to read there.
// Each returns false once the output has failed (its reader went away).
class ConversationPrinter {
  public:
    ConversationPrinter(StopAwareOutput& out, bool for_terminal);

    bool PrintIntroductions(const ConversationState& state);

    // Prints the line the turn of `speaker` has just added.
    bool PrintTurn(const ConversationState& state, int speaker);

  private:
    bool Print(int bot, const std::string& bold_part, const std::string& regular_part);

    StopAwareOutput& m_out;
    bool m_forTerminal;
    std::optional<BotColour> m_background;
};

}  // namespace jabbery
