// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "values/bot_roster.h"

namespace jabbery {

class ConversationWindow;
class UserQuestions;
struct TranscriptTexts;

// The longest descriptor line the roster keeps; the rest of a line is dropped.
inline constexpr std::size_t kMaxDescriptorLine = 259;

// The descriptor's name as the shell writes it, and the message it shows.
inline constexpr const char* kDescriptorName = "vorn.nfo";
inline constexpr const char* kNotABotMessage =
    "That is not a VORN2-compatible program, or VORN.NFO is missing!";

// Finds the descriptor in `folder`: "vorn.nfo" itself first, then a file of
// that name in any letter case. Returns its path, or empty text.
std::string FindDescriptor(const std::string& folder);

// A bot folder named on a command line as the folder prompt would give it:
// absolute, without "." and ".." parts and without a trailing slash (the
// root stays "/"), so that every front-end's introduction lines read alike.
std::string FolderAsPromptGivesIt(const std::string& folder);

// Reads bot `i`'s descriptor from `folder` into its four roster slots.
// Returns false, leaving the roster unchanged, when it cannot be opened.
bool ReadDescriptor(BotRoster& roster, int i, const CPlainString& folder);

// Asks the user for every bot's folder in turn, reads each descriptor into
// `roster` and adds each bot's introduction line to `texts`. A folder without
// a descriptor is announced and asked for again. Returns false, after asking
// the window to close, when the user cancels a prompt or `count` is not a
// number of bots a conversation can link.
bool LoadRoster(BotRoster& roster, TranscriptTexts& texts, UserQuestions& questions,
                ConversationWindow& window, int count);

}  // namespace jabbery
