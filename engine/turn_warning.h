// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "engine/conversation.h"

namespace jabbery {

// The warning `program` writes after turn `turn` (1-based) of bot `bot`
// (0-based) whose exchange did not end with an answer in time: one line
// naming the bot and the cause, then up to three last lines of the bot's
// output, indented by two blanks. Everything the bot controls is filtered
// for a terminal when `for_terminal`.
std::string TurnWarning(std::string_view program, const ConversationState& state, int turn, int bot,
                        const ExchangeOutcome& outcome, bool for_terminal);

}  // namespace jabbery
