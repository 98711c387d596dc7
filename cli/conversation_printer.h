// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "engine/conversation_observer.h"
#include "values/bot_colours.h"

namespace jabbery {

class StopAwareOutput;

// Prints the conversation's plain lines as they are added, each in its
// bot's colour when writing to a terminal: introductions in bold, a turn's
// name in bold and its reply in regular weight, as the window shows them.
// On a background COLORFGBG names, each colour is made to read there.
// Once the output has failed (its reader went away), `failed` is called
// after each line.
class ConversationPrinter final : public ConversationObserver {
  public:
    ConversationPrinter(StopAwareOutput& out, bool for_terminal, std::function<void()> failed);

    void ParticipantJoined(const Conversation& conversation,
                           const Participant& participant) override;
    void TurnRecorded(const Conversation& conversation, const Turn& turn) override;

    // The terminal codes that start a participant's name in colour `colour`
    // (bold), as its lines show it; "" when not writing to a terminal.
    std::string NameStyle(int colour) const;

  private:
    void Print(int colour, const std::string& bold_part, const std::string& regular_part);
    // False once the output has failed.
    bool Written(int colour, const std::string& bold_part, const std::string& regular_part);

    StopAwareOutput& m_out;
    std::function<void()> m_failed;
    bool m_forTerminal;
    std::optional<BotColour> m_background;
};

}  // namespace jabbery
