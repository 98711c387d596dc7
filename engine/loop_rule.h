// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/turn.h"

namespace jabbery {

// How many of the newest turns the loop rule looks back over.
inline constexpr std::size_t kLoopWindow = 20;

// A conversation found going round in circles: the line, and who said it.
struct LoopFound {
    std::string m_line;  // as the newest turn said it
    std::vector<ParticipantId> m_speakers;
};

// A line as the loop rule compares it: ASCII letters in lower case, digits
// and every byte beyond ASCII kept; spaces, punctuation and controls dropped.
std::string LoopKey(const std::string& line);

// Whether the newest of `turns` closes a loop, for `times` (at least 2):
// (1) its line, compared by LoopKey, has been said for the `times`-th time
// among the answered turns of the last kLoopWindow turns; or (2) the last
// 2 x `times` turns are two bots trading the same two different lines,
// A X, B Y, A X, B Y, ... Only answered turns with a non-empty key count.
std::optional<LoopFound> FindLoop(const std::vector<Turn>& turns, int times);

}  // namespace jabbery
