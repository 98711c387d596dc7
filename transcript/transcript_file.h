// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "transcript/clock_text.h"
#include "values/plain_string.h"

namespace jabbery {

// The three banner lines that head every saved conversation, each ending in
// CR LF, dated `when`.
std::string TranscriptBanner(std::time_t when);

// Appends the banner and `plain_text` to `path` (after an empty line when the
// file already exists), or creates the file. Never truncates anything.
// The clock is read once, for the banner.
// Returns false with `error` set to a message for the user when it fails.
bool AppendTranscriptToFile(const std::string& path, const CPlainString& plain_text,
                            const ClockSource& now, std::string& error);

}  // namespace jabbery
