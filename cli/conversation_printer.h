// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "values/bot_colours.h"

namespace jabbery {

struct ConversationState;

// Prints the conversation's plain lines as they are added, each in its
// bot's colour when writing to a terminal: introductions in bold, a turn's
// name in bold and its reply in regular weight, as the window shows them.
// On a background COLORFGBG names, each colour is made to read there.
class ConversationPrinter {
  public:
    ConversationPrinter(std::FILE* out, bool for_terminal);

    void PrintIntroductions(const ConversationState& state);

    // Prints the line the turn of `speaker` has just added.
    void PrintTurn(const ConversationState& state, int speaker);

  private:
    void Print(int bot, const std::string& bold_part, const std::string& regular_part);

    std::FILE* m_out;
    bool m_forTerminal;
    std::optional<BotColour> m_background;
};

}  // namespace jabbery
