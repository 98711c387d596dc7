// SPDX-License-Identifier: MIT
#include "cli/options.h"

#include <charconv>
#include <functional>
#include <map>

namespace jabbery {

namespace {

// Reads a whole decimal number between `low` and `high`; nothing else passes.
bool ReadNumber(const std::string& text, long long low, long long high, long long& number) {
    const char* end = text.data() + text.size();
    auto [stop, status] = std::from_chars(text.data(), end, number);
    return !text.empty() && status == std::errc() && stop == end && number >= low && number <= high;
}

}  // namespace

std::string CliUsage() {
    return "Usage: jabbery-cli [options] BOTDIR BOTDIR [BOTDIR...]\n"
           "       jabbery-cli --try [--timeout SECONDS] BOTDIR [MESSAGE]\n"
           "       jabbery-cli --check BOTDIR...\n"
           "Links " +
           BotCountRange() +
           " chat bots, each in a folder with its vorn.nfo, into one\n"
           "conversation and prints it as it goes. Bots speak in the order given first.\n"
           "A bare name such as 'hask', when no folder of that name is here, names your\n"
           "own bot folder of that name in $XDG_DATA_HOME/jabbery/bots (by default\n"
           "~/.local/share/jabbery/bots); a bot that comes with Jabbery, such as hask or\n"
           "wren, is copied there on first use.\n"
           "\n"
           "Options:\n"
           "  --turns N          stop after N turns (default: run until interrupted)\n"
           "  --interval MS      milliseconds between turns (default " +
           std::to_string(kTurnInterval.count()) +
           ", 0 allowed)\n"
           "  --timeout SECONDS  how long a bot may take to answer (default " +
           std::to_string(std::chrono::duration_cast<std::chrono::seconds>(kBotTimeLimit).count()) +
           ")\n"
           "  --save FILE        append the plain transcript, under a dated banner, at the end\n"
           "  --rtf FILE         write the coloured rich-text transcript at the end\n"
           "  --jsonl FILE       append each turn as a JSON object (one a line) as it happens\n"
           "  --seed N           seed the choice of speakers (default: the same order each run)\n"
           "  --stats            at the end, a table of each bot's turns, failures and times\n"
           "  --quiet            no warnings on standard error (bots that fail the start-up\n"
           "                     check or did not answer in time) and no waiting line\n"
           "  --strict           a bot that fails the start-up check is an error: exit 2,\n"
           "                     nothing run\n"
           "  --try              one exchange with BOTDIR (MESSAGE defaults to \"Hi!\"): shows\n"
           "                     the reply, how the exchange ended, its time and the bot's output\n"
           "  --check            checks each BOTDIR without running it: descriptor, name,\n"
           "                     command (not cut), a writable folder; for a chat-model\n"
           "                     bot also model.conf, its key variable and its endpoint\n"
           "  --help             show this help\n"
           "  --version          show the version\n"
           "\n"
           "Before the first turn every bot is checked as --check does; a warning on\n"
           "standard error names each bot that fails. After a turn whose bot did not\n"
           "answer in time (it failed, timed out, or left chat.msg as it was), a warning\n"
           "names the cause. On a terminal, a bot that takes more than 2 s is waited for\n"
           "on a line of its own (\"waiting for SLOW (5 s)...\"), cleared when it ends.\n"
           "Ctrl-C, SIGTERM, SIGHUP or Ctrl-\\ stops the bot in flight at once (its turn\n"
           "adds no line) and ends the conversation, as does a reader of standard output\n"
           "that goes away (| head); --save and --rtf are still written, and the program\n"
           "ends within a second. --rtf never replaces a file: name a new one.\n"
           "\n"
           "Exit status: 0 when the run ended by itself, 1 when an error was reported\n"
           "(a file not written), 2 for a wrong command line or bot folder; 128 + the\n"
           "signal when stopped: 130 Ctrl-C, 143 SIGTERM, 129 SIGHUP, 131 Ctrl-\\,\n"
           "141 when standard output's reader went away.\n";
}

bool ParseCliOptions(const std::vector<std::string>& arguments, CliOptions& options,
                     std::string& error) {
    using Setter = std::function<bool(const std::string&)>;
    const std::map<std::string, Setter> valued = {
        {"--turns",
         [&](const std::string& v) {
             long long n;
             if (!ReadNumber(v, 0, 1LL << 62, n)) return false;
             options.m_turns = n;
             return true;
         }},
        {"--interval",
         [&](const std::string& v) {
             long long n;
             if (!ReadNumber(v, 0, 24LL * 3600 * 1000, n)) return false;
             options.m_interval = std::chrono::milliseconds(n);
             return true;
         }},
        {"--timeout",
         [&](const std::string& v) {
             long long n;
             if (!ReadNumber(v, 1, 24LL * 3600, n)) return false;
             options.m_timeout = std::chrono::seconds(n);
             return true;
         }},
        {"--seed",
         [&](const std::string& v) {
             long long n;
             if (!ReadNumber(v, 0, 0xFFFFFFFFLL, n)) return false;
             options.m_seed = static_cast<unsigned>(n);
             return true;
         }},
        {"--save",
         [&](const std::string& v) {
             options.m_savePath = v;
             return !v.empty();
         }},
        {"--rtf",
         [&](const std::string& v) {
             options.m_rtfPath = v;
             return !v.empty();
         }},
        {"--jsonl",
         [&](const std::string& v) {
             options.m_jsonlPath = v;
             return !v.empty();
         }},
    };

    bool only_folders = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.empty()) {
            // An empty name would be read as the root folder; the window refuses it too.
            error = "an empty bot folder name (\"\") is not a folder";
            return false;
        }
        if (only_folders || argument.size() < 2 || argument[0] != '-') {
            options.m_botFolders.push_back(argument);
            continue;
        }
        if (argument == "--") {
            only_folders = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            options.m_help = true;
            continue;
        }
        if (argument == "--version") {
            options.m_version = true;
            continue;
        }
        const std::map<std::string, std::function<void()>> flags = {
            {"--stats", [&] { options.m_stats = true; }},
            {"--quiet", [&] { options.m_quiet = true; }},
            {"--strict", [&] { options.m_strict = true; }},
            {"--try", [&] { options.m_mode = CliOptions::Mode::kTry; }},
            {"--check", [&] { options.m_mode = CliOptions::Mode::kCheck; }},
        };
        if (const auto flag = flags.find(argument); flag != flags.end()) {
            flag->second();
            continue;
        }
        // Both "--turns 5" and "--turns=5".
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const auto setter = valued.find(name);
        if (setter == valued.end()) {
            error = "unknown option '" + argument + "' (see --help)";
            return false;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            error = "option " + name + " needs a value";
            return false;
        }
        if (!setter->second(value)) {
            error = "invalid value '" + value + "' for " + name;
            return false;
        }
    }
    return true;
}

}  // namespace jabbery
