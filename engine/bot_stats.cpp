// SPDX-License-Identifier: MIT
#include "engine/bot_stats.h"

#include <algorithm>

namespace jabbery {

void BotStats::Record(const ExchangeOutcome& outcome, int turn) {
    if (outcome.m_end == ExchangeEnd::kCancelled) return;
    ++m_turns;
    ++m_ends[static_cast<std::size_t>(outcome.m_end)];
    m_times.push_back(outcome.m_elapsed);
    if (!outcome.Answered()) {
        m_lastFailure = outcome;
        m_lastFailureTurn = turn;
    }
}

std::chrono::milliseconds BotStats::Median() const {
    if (m_times.empty()) return {};
    std::vector<std::chrono::milliseconds> sorted = m_times;
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    return *middle;
}

std::chrono::milliseconds BotStats::Slowest() const {
    if (m_times.empty()) return {};
    return *std::max_element(m_times.begin(), m_times.end());
}

}  // namespace jabbery
