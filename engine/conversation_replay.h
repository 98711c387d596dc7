// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "engine/conversation.h"
#include "engine/recorded_conversation.h"

namespace jabbery {

// Joins the participants of `recorded` to `conversation` as they were:
// their ids, colours and kinds, those there from the start introduced,
// those who left marked so.
void JoinRecorded(Conversation& conversation, const RecordedConversation& recorded);

// Before Start: takes `turns` as said (Conversation::CatchUp), choosing the
// speakers as the conversation chose them when it ran, so that with its
// seed the speaking order's draws go on where they stopped. Start then
// makes the choice that followed the last of them. A human's line said
// during a bot's turn is taken as said after it (the log does not tell).
void CatchUpWith(Conversation& conversation, const std::vector<Turn>& turns);

// Reads the bots of `recorded` (those that had not left) again from their
// folders, or from `folders` given in their place, one for each in order,
// keeping their ids and colours; a folder that holds a bot of another name is
// refused. Empty text, or what the user is told.
std::string ReloadBots(RecordedConversation& recorded, const std::vector<std::string>& folders);

}  // namespace jabbery
