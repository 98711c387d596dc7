// SPDX-License-Identifier: MIT
#pragma once

#include "cli/options.h"
#include "engine/conversation_file.h"

namespace jabbery {

// The options a conversation file stands for: the defaults with each value
// the file sets, its bots as the folders (their talkativeness and mute in
// m_botTuning).
CliOptions OptionsFrom(const ConversationFile& file);

}  // namespace jabbery
