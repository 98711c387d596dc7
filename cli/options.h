#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "values/conversation_facts.h"

namespace jabbery {

// What the terminal runner was asked to do.
struct CliOptions {
    std::vector<std::string> m_botFolders;
    std::optional<long long> m_turns;  // none: until interrupted
    std::chrono::milliseconds m_interval{kTurnInterval};
    std::chrono::milliseconds m_timeout{kBotTimeLimit};
    std::optional<std::string> m_savePath;  // plain transcript, appended
    std::optional<std::string> m_rtfPath;   // rich-text document, written anew
    std::optional<unsigned> m_seed;         // none: the generator's fixed start
    bool m_help = false;
    bool m_version = false;
};

// Reads the command line (without the program name). Returns false with
// `error` naming the problem when an option or its value is wrong.
bool ParseCliOptions(const std::vector<std::string>& arguments, CliOptions& options,
                     std::string& error);

// The text of --help.
std::string CliUsage();

}  // namespace jabbery
