// SPDX-License-Identifier: MIT
// Making a bot folder of the user's for a program that reads a message on
// standard input and prints its answer (jabbery-cli --new-bot, the window's
// "New bot from a program").
#pragma once

#include <string>
#include <vector>

#include "install/bundled_bots.h"

namespace jabbery {

// The script that holds a command too long for the descriptor's line 3.
inline constexpr const char* kProgramBotScript = "run.sh";

// jabbery-stdio as installed beside the programs in `program_folder`; in
// the build tree, where the window is built in a folder of its own, the one
// beside jabbery-cli.
std::string StdioBridgePath(const std::string& program_folder);

// Makes the user's bot folder `name` in places.m_userBots, named `name`,
// whose vorn.nfo runs `command` (a program and its arguments, no shell)
// through `stdio_program` (jabbery-stdio, by its absolute path), every word
// quoted for /bin/sh. When that line is longer than a descriptor line may
// be, the folder gets a script kProgramBotScript holding it, which line 3
// runs. Refuses a name that is not one plain folder name, an empty command
// and a folder that exists already. Returns the folder made, or empty text
// with `error` for the user; a folder it could not fill is removed again.
std::string MakeProgramBot(const BotPlaces& places, const std::string& name,
                           const std::vector<std::string>& command,
                           const std::string& stdio_program, std::string& error);

}  // namespace jabbery
