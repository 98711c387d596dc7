// SPDX-License-Identifier: MIT
#pragma once

#include "engine/recorded_conversation.h"
#include "transcript/transcript.h"

namespace jabbery {

// Both transcripts of `record`, as the conversation kept them while it ran:
// the introductions of the bots set up before the start, then every turn.
TranscriptTexts TranscriptTextsOf(const RecordedConversation& record);

}  // namespace jabbery
