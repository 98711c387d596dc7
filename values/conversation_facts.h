// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>

namespace jabbery {

// How long a program a bot keeps between turns may go unused before it is
// ended (--idle of jabbery and jabbery-cli).
inline constexpr std::chrono::seconds kKeptIdle{300};

// The most bots one conversation links, and the fewest it needs.
inline constexpr int kMaxBots = 15;
inline constexpr int kMinBots = 2;

// How often a turn is due, and how long a bot may take to answer.
inline constexpr std::chrono::milliseconds kTurnInterval{2000};
inline constexpr std::chrono::milliseconds kBotTimeLimit{20000};

// True when `count` bots can hold a conversation.
inline bool IsValidBotCount(int count) {
    return count >= kMinBots && count <= kMaxBots;
}

// "2 to 15", for texts that name the range.
inline std::string BotCountRange() {
    return std::to_string(kMinBots) + " to " + std::to_string(kMaxBots);
}

// The message that refuses a bot count outside the range.
inline std::string BotCountError(int count) {
    return "Jabbery links " + BotCountRange() + " bots; " + std::to_string(count) +
           " is not a number of bots it can link.";
}

}  // namespace jabbery
