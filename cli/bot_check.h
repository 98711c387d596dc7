// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace jabbery {

// What checking one bot folder found, without running the bot.
struct BotCheck {
    std::string m_descriptor;             // the descriptor's file name, when found
    std::string m_name;                   // descriptor line 4
    std::string m_command;                // descriptor line 3
    std::vector<std::string> m_problems;  // each in words; none: the folder passes
};

// Checks `folder`: a descriptor is there, its name and command lines are
// not empty, the command can be found, and the folder is writable for the
// message file. For the command, leading VAR=value words and `exec` are
// skipped; a shell builtin counts as found; otherwise the first word must
// be an executable relative to the folder or on PATH, and when it is a
// known interpreter followed by a relative path, that file must exist too.
BotCheck CheckBotFolder(const std::string& folder);

// Checks every folder and prints one verdict line for each on `out`.
// Returns 0 when all pass, 1 otherwise.
int CheckBotFolders(const std::vector<std::string>& folders, std::FILE* out, bool for_terminal);

}  // namespace jabbery
