// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"
#include "engine/conversation.h"

namespace jabbery {

// Applies a conversation file's bot settings (m_botTuning), then --talk and
// --mute, to the bots that have joined `conversation`,
// each NAME compared with the descriptor's name without case. A message
// for the user when a NAME names no bot or a mute is refused; else empty.
std::string ApplyBotSettings(Conversation& conversation, const CliOptions& options);

// What ApplyBotSettings would refuse for a conversation of `bots`, tried on
// one of its own: a setting that names no bot, or mutes too many, is then
// refused before anything is printed or written.
std::string TryBotSettings(const std::vector<Participant>& bots, const CliOptions& options);

// The line said on standard error at the end: "the conversation ended
// after N turns: DETAIL", the detail filtered for a terminal when `for_terminal`.
std::string EndLine(const Conversation& conversation, bool for_terminal);

}  // namespace jabbery
