#include "cli/conversation_printer.h"

#include <cstdlib>

#include "cli/terminal_colour.h"
#include "engine/conversation.h"

namespace jabbery {

ConversationPrinter::ConversationPrinter(std::FILE* out, bool for_terminal)
    : m_out(out), m_forTerminal(for_terminal) {}

void ConversationPrinter::PrintIntroductions(const ConversationState& state) {
    for (int bot = 0; bot < state.m_botCount; ++bot) Print(bot, state.m_botFolder[bot].Str(), "");
}

void ConversationPrinter::PrintTurn(ConversationState& state, const std::function<void()>& turn) {
    const int speaker = state.m_current;
    const std::size_t plain_before = state.m_plainText.Length();
    turn();
    if (state.m_plainText.Length() == plain_before) return;
    Print(speaker, state.m_botName[speaker].Upper().Str() + "> ", state.m_lastMessage.Str());
}

std::string ConversationPrinter::Clean(const std::string& text) const {
    if (!m_forTerminal) return text;
    // A reply is a bot's raw bytes: control characters could move the cursor
    // or retitle the terminal, so they are shown as '?'.
    std::string clean = text;
    for (char& c : clean) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) c = '?';
    }
    return clean;
}

void ConversationPrinter::Print(int bot, const std::string& bold_part,
                                const std::string& regular_part) {
    if (!m_forTerminal) {
        std::fprintf(m_out, "%s%s\n", bold_part.c_str(), regular_part.c_str());
    } else if (bot == 0) {
        // Bot 0's colour is black, which a dark terminal would not show: it
        // writes in the terminal's own text colour instead.
        std::fprintf(m_out, "\x1b[1m%s\x1b[22m%s\x1b[0m\n", Clean(bold_part).c_str(),
                     Clean(regular_part).c_str());
    } else {
        const BotColour& colour = kBotColours[bot];
        std::fprintf(m_out, "%s\x1b[1m%s\x1b[22m%s\x1b[0m\n",
                     ForegroundEscape(colour, std::getenv("COLORTERM")).c_str(),
                     Clean(bold_part).c_str(), Clean(regular_part).c_str());
    }
    std::fflush(m_out);
}

}  // namespace jabbery
