// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/exchange.h"

namespace jabbery {

// How an exchange ended, in words for people: "answered", "exited with
// code 3", "killed by signal SIGSEGV", "timed out after 20 s", "could not
// be started: command not found", "did not rewrite chat.msg", "message file
// unusable: ...", "cancelled".
std::string OutcomeText(const ExchangeOutcome& outcome);

// A short machine name of the ending: "answered", "exited", "signalled",
// "timed-out", "not-rewritten", "failed-to-start", "unusable-file", "cancelled".
std::string_view OutcomeKey(ExchangeEnd end);

// The last `count` lines of a bot's captured output that have text, oldest first.
std::vector<std::string> LastOutputLines(const std::string& output, std::size_t count);

}  // namespace jabbery
