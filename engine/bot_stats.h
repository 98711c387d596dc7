// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <vector>

#include "engine/exchange.h"

namespace jabbery {

// How many kinds of ending an exchange has (the ExchangeEnd values).
inline constexpr std::size_t kExchangeEndCount =
    static_cast<std::size_t>(ExchangeEnd::kAnswered) + 1;

// How one bot's exchanges have gone so far in a conversation, for warnings,
// statistics and the window's list of bots. Cancelled exchanges are not
// turns and are not counted.
struct BotStats {
    int m_turns = 0;
    std::array<int, kExchangeEndCount> m_ends{};  // turns per kind of ending
    std::vector<std::chrono::milliseconds> m_times;
    std::optional<ExchangeOutcome> m_lastFailure;  // with its output tail
    int m_lastFailureTurn = 0;                     // 1-based turn of the conversation

    // Counts one exchange that was turn `turn` of the conversation.
    void Record(const ExchangeOutcome& outcome, int turn);

    int Count(ExchangeEnd end) const { return m_ends[static_cast<std::size_t>(end)]; }
    std::chrono::milliseconds Median() const;
    std::chrono::milliseconds Slowest() const;
};

}  // namespace jabbery
