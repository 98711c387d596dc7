// SPDX-License-Identifier: MIT
// Between a conversation file and a conversation: the rules and bot
// settings a file asks for, and the file a running conversation is saved as.
#pragma once

#include <string>
#include <vector>

#include "engine/conversation.h"
#include "engine/conversation_file.h"

namespace jabbery {

// Gives the bots of `conversation`, in the order they joined, the
// talkativeness and mute of the file's bots in the same place. A message
// naming the bot when a mute is refused (two bots must stay unmuted); else empty.
std::string TuneBots(Conversation& conversation, const std::vector<FileBot>& bots);

// What `conversation` is now, as a file: its bots present (folder,
// talkativeness, muted), its stop rules and the human's name when one has
// joined. The front-end adds what the conversation does not hold: the
// order, opening, pace and seed.
ConversationFile SetUpOf(const Conversation& conversation);

}  // namespace jabbery
