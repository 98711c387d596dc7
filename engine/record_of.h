// SPDX-License-Identifier: MIT
#pragma once

#include "engine/conversation.h"
#include "engine/recorded_conversation.h"

namespace jabbery {

// A running (or ended) conversation as its log records it: the
// participants and the introduced ones, every turn so far, the stop rules
// in force, and why it ended once it has. What the window exports.
RecordedConversation RecordOf(const Conversation& conversation);

}  // namespace jabbery
