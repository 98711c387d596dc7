// SPDX-License-Identifier: MIT
#include "shell/command_line.h"

#include "engine/bundled_bots.h"
#include "engine/roster.h"
#include "transcript/transcript_autosave.h"
#include "values/conversation_facts.h"
#include "values/product.h"

namespace jabbery {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    bool options_ended = false;
    for (const std::string& argument : arguments) {
        if (!options_ended && argument.size() > 1 && argument[0] == '-') {
            if (argument == "--") {
                options_ended = true;
            } else if (argument == "--help" || argument == "-h") {
                result.m_action = CommandLine::Action::kHelp;
                return result;
            } else if (argument == "--no-autosave") {
                result.m_autosave = false;
            } else if (argument == "--quiet") {
                result.m_quiet = true;
            } else if (argument == "--version") {
                result.m_action = CommandLine::Action::kVersion;
                return result;
            } else {
                result.m_action = CommandLine::Action::kError;
                result.m_error = "unknown option " + argument;
                return result;
            }
            continue;
        }
        if (argument.empty()) {
            result.m_action = CommandLine::Action::kError;
            result.m_error = "an empty folder name was given";
            return result;
        }
        result.m_botFolders.push_back(argument);
    }
    // Bare names of bundled bots become the user's copies, made only now
    // that the whole line is known to be run.
    if (!ResolveBotArguments(result.m_botFolders, result.m_error)) {
        result.m_action = CommandLine::Action::kError;
    }
    for (std::string& folder : result.m_botFolders) folder = FolderAsPromptGivesIt(folder);
    return result;
}

std::string CommandLineUsage() {
    return "Usage: jabbery [BOTDIR...]\n"
           "Links " +
           BotCountRange() +
           " chat bots into one conversation in a window.\n"
           "\n"
           "With no BOTDIR, the window asks for the number of bots and for each\n"
           "bot's folder. Each BOTDIR given answers those questions in advance:\n"
           "the folders of bot 1, bot 2, ... in order (" +
           BotCountRange() +
           " of them).\n"
           "A bot's folder holds its descriptor, vorn.nfo. A bare name such as 'hask',\n"
           "when no folder of that name is here, names your own bot folder of that name\n"
           "in $XDG_DATA_HOME/jabbery/bots (by default ~/.local/share/jabbery/bots),\n"
           "where the folder prompt starts; a bot that comes with Jabbery is copied there\n"
           "on first use.\n"
           "\n"
           "Each conversation is kept as it grows in $XDG_STATE_HOME/jabbery/\n"
           "conversations (default ~/.local/state/...); the newest " +
           std::to_string(kKeptConversations) +
           " are kept.\n"
           "\n"
           "A turn whose bot fails is marked in the window and warned about on\n"
           "standard error, as jabbery-cli does.\n"
           "\n"
           "      --no-autosave  do not keep the conversation as it grows\n"
           "      --quiet        no warnings on standard error\n"
           "  -h, --help         show this text and exit\n"
           "      --version      show the version and exit\n"
           "      --             end of options; later arguments are folders\n";
}

std::string VersionText() {
    return VersionNotice("jabbery");
}

}  // namespace jabbery
