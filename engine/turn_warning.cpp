// SPDX-License-Identifier: MIT
#include "engine/turn_warning.h"

#include "engine/outcome_text.h"
#include "platform/terminal_filter.h"
#include "values/plural.h"

namespace jabbery {

std::string TurnWarning(std::string_view program, const Participant& bot, const Turn& turn,
                        bool for_terminal) {
    const ExchangeOutcome& outcome = turn.m_outcome;
    std::string text = std::string(program) + ": turn " + std::to_string(turn.m_number) + ": " +
                       ShownOn(bot.m_name.Upper().Str(), for_terminal) + " (bot " +
                       std::to_string(bot.m_id + 1) + ") " +
                       ShownOn(OutcomeText(outcome), for_terminal);
    text += outcome.m_end == ExchangeEnd::kUnusableFile
                ? "; an empty line is passed on"
                : std::string("; the line passed on is what ") + kMessageFileName + " held";
    if (turn.m_quarantined > 0) {
        text += "; it sits out the next " + Plural(turn.m_quarantined, "turn", "turns");
    }
    text += "\n";
    for (const std::string& line : LastOutputLines(outcome.m_outputTail, 3)) {
        text += "  " + ShownOn(line, for_terminal) + "\n";
    }
    return text;
}

}  // namespace jabbery
