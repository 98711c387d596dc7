// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "engine/participant.h"

namespace jabbery {

// What checking one bot folder found, without running the bot.
struct BotCheck {
    std::string m_descriptor;             // the descriptor's file name, when found
    std::string m_name;                   // descriptor line 4
    std::string m_command;                // descriptor line 3
    std::vector<std::string> m_problems;  // each in words; none: the folder passes
};

// Checks `folder`: a descriptor is there, its name and command lines are
// not empty and not cut (ReadDescriptor keeps 259 characters of a line),
// the command can be found, and the folder is writable for the message
// file. For the command, leading VAR=value words and `exec` are skipped; a
// shell builtin counts as found; otherwise the first word must be an
// executable relative to the folder or on PATH, and when it is a known
// interpreter followed by a relative path, that file must exist too. A
// chat-model bot is checked as ChatModelProblems says, which may take up to
// kEndpointProbeLimit.
BotCheck CheckBotFolder(const std::string& folder);

// CheckBotFolder on each folder, all at once, so that slow endpoints do not
// add up; the results are in the folders' order.
std::vector<BotCheck> CheckBotFolders(const std::vector<std::string>& folders);

// The descriptor lines in `folder` that ReadDescriptor cuts, each as a
// problem in words with what to do about it. None when nothing is cut.
std::vector<std::string> CutLineProblems(const std::string& folder);

// The check every front-end runs on the linked bots before the first turn: one line for each bot
// that fails, naming it and all its problems, "bot 2 (WREN, /home/me/bots/wren/): the program x is
// not found on PATH". Empty when every bot passes.
std::vector<std::string> FailedBotChecks(const std::vector<Participant>& bots);

// A check's problems in one line, separated by "; ".
std::string JoinedProblems(const BotCheck& check);

}  // namespace jabbery
