#pragma once

#include <array>

#include "engine/plain_string.h"

namespace jabbery {

class Host;
struct ConversationState;

// The most bots one conversation links, and the fewest it needs.
inline constexpr int kMaxBots = 15;
inline constexpr int kMinBots = 2;

// The longest descriptor line the roster keeps; the rest of a line is dropped.
inline constexpr std::size_t kMaxDescriptorLine = 259;

// The descriptor's name as the shell writes it, and the message it shows.
inline constexpr const char* kDescriptorName = "vorn.nfo";
inline constexpr const char* kNotABotMessage =
    "That is not a VORN2-compatible program, or VORN.NFO is missing!";

// What the shell knows of every linked bot, indexed by bot number. Filled
// once during set-up and only read afterwards.
struct BotRoster {
    std::array<CPlainString, kMaxBots> m_botCommand;    // descriptor line 3, unchanged
    std::array<CPlainString, kMaxBots> m_botFolder;     // chosen folder + "/"
    std::array<CPlainString, kMaxBots> m_botFolderRtf;  // m_botFolder, backslashes doubled
    std::array<CPlainString, kMaxBots> m_botName;       // descriptor line 4, unchanged
};

// True when `count` bots can hold a conversation (2 to 15).
bool IsValidBotCount(int count);

// The message that refuses a bot count outside 2 to 15.
std::string BotCountError(int count);

// Finds the descriptor in `folder`: "vorn.nfo" itself first, then a file of
// that name in any letter case. Returns its path, or empty text.
std::string FindDescriptor(const std::string& folder);

// Reads bot `i`'s descriptor from `folder` into its four roster slots.
// Returns false, leaving the roster unchanged, when it cannot be opened.
bool ReadDescriptor(BotRoster& roster, int i, const CPlainString& folder);

// Asks the host for every bot's folder in turn, reads each descriptor and
// adds each bot's introduction line. A folder without a descriptor is
// announced and asked for again. Returns false, after asking the host to
// close, when the user cancels a prompt or `count` is outside 2 to 15.
bool LoadRoster(ConversationState& state, Host& host, int count);

}  // namespace jabbery
