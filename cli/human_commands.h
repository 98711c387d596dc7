// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "engine/conversation.h"

namespace jabbery {

// What a human's line in the terminal did: what the turn loop does next,
// and a message for standard error (a command refused, /help), or none.
struct HumanLineDone {
    SchedulerAction m_action = SchedulerAction::kNothing;
    std::string m_message;
};

// Carries out human `human`'s `line`: a command (/pause, /resume, /next
// NAME, /mute NAME, /unmute NAME, /order RULE, /add FOLDER, /remove NAME,
// /interrupt TEXT, /quit, /help), else a line said in the conversation;
// "//" at the start sends the rest with one "/". NAMEs are compared without
// case. A command that cannot be carried out changes nothing and says why.
HumanLineDone DoHumanLine(Conversation& conversation, ParticipantId human, const std::string& line);

// The text of /help.
extern const char* const kHumanCommandsHelp;

}  // namespace jabbery
