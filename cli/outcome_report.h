// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include <vector>

#include "engine/participant.h"

namespace jabbery {

// One row per linked bot: its name as the descriptor spells it, turns,
// answered, each kind of failure, median and slowest time.
std::string StatsTable(const std::vector<Participant>& bots, bool for_terminal);

}  // namespace jabbery
