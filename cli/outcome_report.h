// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "engine/participant.h"

namespace jabbery {

// One row per linked bot: its name as the descriptor spells it, the figures
// of the window's Bots window in the same words (BotStatsCells), then the
// count of each kind of failure.
std::string StatsTable(const std::vector<Participant>& bots, bool for_terminal);

}  // namespace jabbery
