// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "transcript/clock_text.h"

namespace jabbery {

// The local date at `now` as "2026-12-06", for file names that sort by date.
std::string IsoDateText(const ClockSource& now = SystemNow);

// The name the save dialogs suggest, with `extension`:
// "Jabbery transcript 2026-12-06.txt".
std::string SuggestedTranscriptName(const std::string& extension,
                                    const ClockSource& now = SystemNow);

// `path` with `extension` (".txt") added when its file name has none; a
// name the user typed as "chat" is saved as "chat.txt".
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

}  // namespace jabbery
