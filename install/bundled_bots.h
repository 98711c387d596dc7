// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace jabbery {

// Where the sample bots that come with the programs lie, and where the
// user's own bot folders go. The first two are only ever read: an installed
// tree is not the user's to write into.
struct BotPlaces {
    std::string m_templates;    // <prefix>/share/jabbery/bots/<name>/: descriptor, data files
    std::string m_executables;  // <prefix>/lib/jabbery/bots/<name>/: the bot's program
    std::string m_userBots;     // <data home>/jabbery/bots/<name>/: the user's bot folders
};

// The places as seen from a program in `program_folder` (<prefix>/bin, or a
// folder of the build tree, which stages the installed layout) for a user
// whose data folder is `data_home`. A place that is not there stays empty;
// m_userBots is set whenever `data_home` is, whether it exists or not.
BotPlaces FindBotPlaces(const std::string& program_folder, const std::string& data_home);

// FindBotPlaces for the running program and the user who runs it.
BotPlaces CurrentBotPlaces();

// The bundled bots' names: the template folders that hold a descriptor, sorted.
std::vector<std::string> BundledBotNames(const BotPlaces& places);

// Makes the user's copy of bundled bot `name` in m_userBots/<name>/ unless a
// folder (or anything else) of that name is there already, which is then
// left exactly as it is. The copy holds the template's data files and its
// descriptor with line 3 replaced by the shell-quoted absolute path of the
// bot's program, so it runs the installed program from the user's folder.
// The copy appears whole or not at all. Returns false with `error` for the
// user when it cannot be made.
bool MakeUserCopy(const BotPlaces& places, const std::string& name, std::string& error);

// Makes the user's bots folder and a copy of every bundled bot the user
// does not have yet. Returns false with `error` naming the first failure;
// the other bots are still copied.
bool CopyBundledBots(const BotPlaces& places, std::string& error);

// True for a folder name without '/' other than "." and "..": one that
// may name a folder in the user's bots folder.
bool IsBareName(const std::string& argument);

// Turns a bot folder as the user typed it into the folder to use. A bare
// name (no '/') with no folder of that name in the working folder names the
// user's bot folder of that name, made from the bundled bot of that name on
// first use. Anything else is left as it is (and judged later like any
// folder). Returns false with `error` when a needed copy cannot be made.
bool ResolveBotArgument(const BotPlaces& places, std::string& argument, std::string& error);

// The names a bare bot name can take: the user's bot folders that hold a
// descriptor and the bundled bots, each once, the closest to `name` first
// (fewest letters to add, drop, change or swap; ties in name order).
std::vector<std::string> BotNamesClosestTo(const BotPlaces& places, const std::string& name);

// ResolveBotArgument on each of `arguments`, with CurrentBotPlaces.
bool ResolveBotArguments(std::vector<std::string>& arguments, std::string& error);

}  // namespace jabbery
