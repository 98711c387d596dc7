// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace jabbery {

// One exchange with the bot in `folder`, as the first turn of a
// conversation of its own (its environment tells it so; a program it keeps
// ends with it, `idle` at most after its last use): hands it `message` under
// its own name, then prints the reply, how the exchange ended, how long it
// took and the bot's captured output. Returns 0 when the bot answered in
// time, 1 when it did not, 2 when the folder is no bot's.
int TryBot(const std::string& folder, const std::string& message,
           std::chrono::milliseconds time_limit, std::chrono::milliseconds idle, std::FILE* out,
           bool for_terminal);

}  // namespace jabbery
