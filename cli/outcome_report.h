// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "engine/bot_stats.h"
#include "engine/conversation.h"

namespace jabbery {

// One bot's line of the table: its name as the descriptor spells it, and
// how its exchanges went.
struct NamedStats {
    std::string m_name;
    const BotStats* m_stats;
};

// One row per bot: its name, the figures of the window's Bots window in the
// same words (BotStatsCells), then the count of each kind of failure.
std::string StatsTable(const std::vector<NamedStats>& bots, bool for_terminal);

// StatsTable for every linked bot of `state`.
std::string StatsTable(const ConversationState& state, bool for_terminal);

}  // namespace jabbery
