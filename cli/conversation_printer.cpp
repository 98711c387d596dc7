// SPDX-License-Identifier: MIT
#include "cli/conversation_printer.h"

#include <cstdlib>

#include "cli/terminal_colour.h"
#include "engine/conversation.h"
#include "platform/terminal_filter.h"
#include "transcript/transcript.h"
#include "values/bot_colours.h"

namespace jabbery {

ConversationPrinter::ConversationPrinter(std::FILE* out, bool for_terminal)
    : m_out(out), m_forTerminal(for_terminal) {}

void ConversationPrinter::PrintIntroductions(const ConversationState& state) {
    for (int bot = 0; bot < state.m_botCount; ++bot) Print(bot, state.m_botFolder[bot].Str(), "");
}

void ConversationPrinter::PrintTurn(const ConversationState& state, int speaker) {
    Print(speaker, SpeakerLabel(state, speaker), state.m_lastMessage.Str());
}

void ConversationPrinter::Print(int bot, const std::string& bold_part,
                                const std::string& regular_part) {
    if (!m_forTerminal) {
        // Piped output keeps every byte of the line, NUL bytes included.
        std::string line = bold_part + regular_part + "\n";
        std::fwrite(line.data(), 1, line.size(), m_out);
    } else if (bot == 0) {
        // Bot 0's colour is black, which a dark terminal would not show: it
        // writes in the terminal's own text colour instead.
        std::fprintf(m_out, "\x1b[1m%s\x1b[22m%s\x1b[0m\n", ForTerminal(bold_part).c_str(),
                     ForTerminal(regular_part).c_str());
    } else {
        const BotColour& colour = kBotColours[static_cast<std::size_t>(bot)];
        std::fprintf(m_out, "%s\x1b[1m%s\x1b[22m%s\x1b[0m\n",
                     ForegroundEscape(colour, std::getenv("COLORTERM")).c_str(),
                     ForTerminal(bold_part).c_str(), ForTerminal(regular_part).c_str());
    }
    std::fflush(m_out);
}

}  // namespace jabbery
