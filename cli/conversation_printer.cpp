// SPDX-License-Identifier: MIT
#include "cli/conversation_printer.h"

#include <cstdlib>

#include "cli/terminal_colour.h"
#include "engine/conversation.h"
#include "platform/terminal.h"
#include "platform/terminal_filter.h"
#include "transcript/transcript.h"
#include "values/bot_colours.h"

namespace jabbery {

ConversationPrinter::ConversationPrinter(StopAwareOutput& out, bool for_terminal)
    : m_out(out),
      m_forTerminal(for_terminal),
      m_background(TerminalBackground(std::getenv("COLORFGBG"))) {}

bool ConversationPrinter::PrintIntroductions(const ConversationState& state) {
    bool ok = true;
    for (int bot = 0; bot < state.m_botCount && ok; ++bot) {
        ok = Print(bot, state.m_botFolder[bot].Str(), "");
    }
    return ok;
}

bool ConversationPrinter::PrintTurn(const ConversationState& state, int speaker) {
    return Print(speaker, SpeakerLabel(state, speaker), state.m_lastMessage.Str());
}

bool ConversationPrinter::Print(int bot, const std::string& bold_part,
                                const std::string& regular_part) {
    // Piped output keeps every byte of the line, NUL bytes included.
    if (!m_forTerminal) return m_out.Write(bold_part + regular_part + "\n");
    // Bot 0's colour is black, which a dark terminal would not show: it
    // writes in the terminal's own text colour instead, whatever the
    // background.
    const std::string colour = bot == 0
                                   ? ""
                                   : ForegroundEscape(kBotColours[static_cast<std::size_t>(bot)],
                                                      std::getenv("COLORTERM"), m_background);
    return m_out.Write(colour + "\x1b[1m" + ForTerminal(bold_part) + "\x1b[22m" +
                       ForTerminal(regular_part) + "\x1b[0m\n");
}

}  // namespace jabbery
