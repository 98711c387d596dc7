// SPDX-License-Identifier: MIT
#include "engine/turn_warning.h"

#include "engine/outcome_text.h"
#include "platform/terminal_filter.h"

namespace jabbery {

std::string TurnWarning(std::string_view program, const ConversationState& state, int turn, int bot,
                        const ExchangeOutcome& outcome, bool for_terminal) {
    const auto index = static_cast<std::size_t>(bot);
    std::string text = std::string(program) + ": turn " + std::to_string(turn) + ": " +
                       ShownOn(state.m_botName[index].Upper().Str(), for_terminal) + " (bot " +
                       std::to_string(bot + 1) + ") " + ShownOn(OutcomeText(outcome), for_terminal);
    text += outcome.m_end == ExchangeEnd::kUnusableFile
                ? "; an empty line is passed on\n"
                : std::string("; the line passed on is what ") + kMessageFileName + " held\n";
    for (const std::string& line : LastOutputLines(outcome.m_outputTail, 3)) {
        text += "  " + ShownOn(line, for_terminal) + "\n";
    }
    return text;
}

}  // namespace jabbery
