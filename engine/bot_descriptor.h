// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <string>

#include "engine/participant.h"

namespace jabbery {

// The longest descriptor line kept; the rest of a line is dropped.
inline constexpr std::size_t kMaxDescriptorLine = 259;

// The descriptor's name as the program writes it, and the message it shows.
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

// The bot in `folder` as its descriptor describes it, not yet part of a
// conversation. None when there is no descriptor or it cannot be read;
// `why` then says what failed, as FindDescriptor's does.
std::optional<Participant> ReadBot(const CPlainString& folder, std::string* why = nullptr);

}  // namespace jabbery
