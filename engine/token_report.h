// SPDX-License-Identifier: MIT
// The tokens a bot may report for its turn (kTokensFileName in its folder).
#pragma once

#include <optional>
#include <string_view>

#include "values/bot_protocol.h"

namespace jabbery {

// Reads a report's text: an object whose "prompt" and "completion" are
// whole numbers from 0 to 10^15. None for anything else.
std::optional<TokenCount> ParseTokenReport(std::string_view text);

// Removes whatever an earlier turn left as the report in the folder open as
// `folder_fd`, so that only this turn's report is read after it.
void ClearTokenReport(int folder_fd);

// Reads and removes the report the bot wrote in the folder open as
// `folder_fd`: none when there is none, it is no plain file of the bot's
// own, is longer than kMaxTokensFileBytes or does not parse.
std::optional<TokenCount> TakeTokenReport(int folder_fd);

}  // namespace jabbery
