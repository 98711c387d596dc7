// SPDX-License-Identifier: MIT
#pragma once

#include <array>
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

// The most of a descriptor that is read: its four lines fit many times
// over, and a huge file without line ends is not read to its end.
inline constexpr std::size_t kMaxDescriptorRead = 16 * 1024;

// Finds the descriptor in `folder`: "vorn.nfo" itself first, then a file of
// that name in any letter case. Returns its path, or empty text; `why` then
// says in words what failed (the folder could not be listed), or stays empty
// when there is simply no descriptor.
std::string FindDescriptor(const std::string& folder, std::string* why = nullptr);

// The first four lines of the descriptor at `path`, each cut at `max_kept`
// characters, read from its first kMaxDescriptorRead bytes. False with `why`
// in words when it cannot be read.
bool ReadDescriptorLines(const std::string& path, std::size_t max_kept,
                         std::array<std::string, 4>& lines, std::string& why);

// A bot folder named on a command line as the folder prompt would give it:
// absolute, without "." and ".." parts and without a trailing slash (the
// root stays "/"), so that every front-end's introduction lines read alike.
std::string FolderAsPromptGivesIt(const std::string& folder);

// Reads bot `i`'s descriptor from `folder` into its four roster slots.
// Returns false, leaving the roster unchanged, when there is none or it
// cannot be read; `why` then says what failed, as FindDescriptor's does.
bool ReadDescriptor(BotRoster& roster, int i, const CPlainString& folder,
                    std::string* why = nullptr);

// Asks the user for every bot's folder in turn, reads each descriptor into
// `roster` and adds each bot's introduction line to `texts`. A folder without
// a descriptor is announced and asked for again (with what failed, when it
// is there but cannot be read). Returns false, after asking
// the window to close, when the user cancels a prompt or `count` is not a
// number of bots a conversation can link.
bool LoadRoster(BotRoster& roster, TranscriptTexts& texts, UserQuestions& questions,
                ConversationWindow& window, int count);

}  // namespace jabbery
