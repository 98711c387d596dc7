// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "install/bundled_bots.h"

namespace jabbery {

// `text` as one word for /bin/sh, whatever characters it holds.
std::string ShellQuoted(const std::string& text);

// The user's bot folder for the bare name `name` (no "/", not "." or ".."):
// m_userBots/<name>. Empty with `error` for the user when `name` is no bare
// name or there is no bots folder.
std::string UserBotFolder(const BotPlaces& places, const std::string& name, std::string& error);

// Makes the user's bot folder `name` (UserBotFolder) for a program that
// reads a message on standard input and prints its answer: its vorn.nfo,
// with `name` as the bot's name, runs `command` (the program and its
// arguments, each quoted for the shell) through the jabbery-stdio
// `bridge` by its absolute path. When that line would not fit the 259
// characters a descriptor line holds, the folder gets a small script,
// run.sh, that runs it, and line 3 runs the script. Refuses a folder that
// exists already. Returns the folder, or empty with `error` for the user.
std::string MakeProgramBot(const BotPlaces& places, const std::string& name,
                           const std::vector<std::string>& command, const std::string& bridge,
                           std::string& error);

}  // namespace jabbery
