// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "engine/conversation.h"

namespace jabbery {

// The warning after turn `turn` (1-based) of bot `bot` (0-based) whose
// exchange did not end with an answer in time: one line naming the bot and
// the cause, then up to three last lines of the bot's output, indented by
// two blanks. Everything the bot controls is filtered for a terminal.
std::string TurnWarning(const ConversationState& state, int turn, int bot,
                        const ExchangeOutcome& outcome, bool for_terminal);

// One row per linked bot: its name as the descriptor spells it, turns,
// answered, each kind of failure, median and slowest time.
std::string StatsTable(const ConversationState& state, bool for_terminal);

}  // namespace jabbery
