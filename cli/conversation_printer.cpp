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

ConversationPrinter::ConversationPrinter(StopAwareOutput& out, bool for_terminal,
                                         std::function<void()> failed)
    : m_out(out),
      m_failed(std::move(failed)),
      m_forTerminal(for_terminal),
      m_background(TerminalBackground(std::getenv("COLORFGBG"))) {}

void ConversationPrinter::ParticipantJoined(const Conversation&, const Participant& participant) {
    Print(participant.m_colour, participant.m_folder.Str(), "");
}

void ConversationPrinter::TurnRecorded(const Conversation& conversation, const Turn& turn) {
    const Participant& speaker = conversation.Get(turn.m_speaker);
    Print(speaker.m_colour, SpeakerLabel(speaker.m_name), turn.m_text.Str());
}

void ConversationPrinter::Print(int colour, const std::string& bold_part,
                                const std::string& regular_part) {
    if (!Written(colour, bold_part, regular_part) && m_failed) m_failed();
}

bool ConversationPrinter::Written(int colour, const std::string& bold_part,
                                  const std::string& regular_part) {
    // Piped output keeps every byte of the line, NUL bytes included.
    if (!m_forTerminal) return m_out.Write(bold_part + regular_part + "\n");
    return m_out.Write(NameStyle(colour) + ForTerminal(bold_part) + "\x1b[22m" +
                       ForTerminal(regular_part) + "\x1b[0m\n");
}

std::string ConversationPrinter::NameStyle(int colour) const {
    if (!m_forTerminal) return "";
    // Bot 0's colour is black, which a dark terminal would not show: it
    // writes in the terminal's own text colour instead, whatever the
    // background.
    const std::string escape = colour == 0
                                   ? ""
                                   : ForegroundEscape(kBotColours[static_cast<std::size_t>(colour)],
                                                      std::getenv("COLORTERM"), m_background);
    return escape + "\x1b[1m";
}

}  // namespace jabbery
