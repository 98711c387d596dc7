// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "engine/conversation.h"

namespace jabbery {

// The Bots window's table in words, so any front-end shows the same: the
// column headings, and one bot's cells in the same order (number, name,
// folder, turns, answered, each kind of failure, median and slowest time,
// last failure).
std::vector<std::string> BotTableHeadings();
std::vector<std::string> BotTableRow(const ConversationState& state, int bot);

// Bot `bot`'s last failure: "Turn 7: WREN timed out after 20 s", then the
// last `tail_lines` lines of what it wrote, each on a line of its own.
// Empty when it has not failed.
std::string LastFailureText(const ConversationState& state, int bot, std::size_t tail_lines);

// A duration as "0.25 s".
std::string SecondsText(std::chrono::milliseconds duration);

}  // namespace jabbery
