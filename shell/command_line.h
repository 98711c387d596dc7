// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/conversation_file.h"
#include "platform/program_options.h"

namespace jabbery {

// What `jabbery [BOTDIR...]` was asked to do.
struct CommandLine {
    OptionsEnd m_action = OptionsEnd::kRun;
    // Bot folders given in advance, as absolute paths without a trailing
    // slash (as the folder prompt gives them). Empty: everything is asked.
    std::vector<std::string> m_botFolders;
    std::string m_error;                   // what is wrong, for kError
    bool m_autosave = true;                // keep the transcript on disk as it grows
    bool m_quiet = false;                  // no warnings on standard error
    std::string m_name;                    // the user's name on joining; empty: asked then
    std::optional<std::string> m_opening;  // the first line handed on, instead of "Hi!"
    // What a conversation file given sets beyond the above; its bots are
    // those of m_botFolders (with their settings) unless folders were
    // given besides it (then none). Empty without a file.
    ConversationFile m_setUp;
    std::optional<std::string> m_replayLog;    // a log to show, read-only
    std::optional<std::string> m_continueLog;  // a log to go on with
};

// Reads the arguments (without the program's name). Options come first or
// anywhere; "--" ends them, so a folder may begin with "-". A conversation
// file among the folders sets what the options do not, and its bots unless
// other folders are given. The number of
// folders is not judged here: the set-up refuses counts outside 2 to 15
// with its usual message.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text of --help.
std::string CommandLineUsage();

// The text of --version.
std::string VersionText();

}  // namespace jabbery
