// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "engine/participant.h"

namespace jabbery {

// The Bots window's table in words, so any front-end shows the same: the
// column headings, and one bot's cells in the same order (number, name,
// turns, answered, failures of all kinds, median and slowest time, last
// failure, folder). The long cells come last, so the counts stay in sight.
std::vector<std::string> BotTableHeadings();
std::vector<std::string> BotTableRow(const Participant& bot);

// Bot `bot` in words, for below the table: its name and folder, its
// failures by kind ("Failures: 2 timed out, 1 exited."), then its last
// failure, "Turn 7: WREN timed out after 20 s", with the last `tail_lines`
// lines of what it wrote, each on a line of its own.
std::string BotDetailsText(const Participant& bot, std::size_t tail_lines);

// A duration as "0.25 s".
std::string SecondsText(std::chrono::milliseconds duration);

}  // namespace jabbery
