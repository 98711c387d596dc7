// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch_plan.h"
#include "engine/conversation_file.h"
#include "platform/program_options.h"
#include "values/conversation_facts.h"

namespace jabbery {

// What the terminal runner was asked to do.
struct CliOptions {
    enum class Mode {
        kConversation,  // link the folders into a conversation
        kTry,           // one exchange with one bot: BOTDIR [MESSAGE]
        kCheck,         // check the folders without running their bots
        kReplay,        // show the conversation m_log recorded, running no bot
        kContinue,      // go on with the conversation m_log recorded, appending to it
        kExport,        // write the conversation a log recorded in m_exportFormat: LOG OUT
        kNewBot,        // make the user's bot folder m_newBot for a program
    };
    Mode m_mode = Mode::kConversation;
    std::string m_log;           // for kReplay and kContinue
    std::string m_exportFormat;  // for kExport: "html", "md", "txt" or "rtf"
    // For kTry: the folder, then the message if given; for kNewBot: the
    // program and its arguments.
    std::vector<std::string> m_botFolders;
    std::string m_newBot;              // the name of the bot folder --new-bot makes
    std::optional<long long> m_turns;  // none: until interrupted
    std::chrono::milliseconds m_interval{kTurnInterval};
    bool m_intervalGiven = false;  // a replay's interval is 0 unless given
    std::chrono::milliseconds m_timeout{kBotTimeLimit};
    std::optional<std::string> m_savePath;   // plain transcript, appended
    std::optional<std::string> m_rtfPath;    // rich-text document, written anew
    std::optional<std::string> m_jsonlPath;  // one JSON object per turn, appended
    std::optional<unsigned> m_seed;          // none: the generator's fixed start
    bool m_stats = false;                    // a table of each bot's outcomes at the end
    bool m_quiet = false;                    // no warnings, no waiting line
    bool m_strict = false;                   // a bot that fails the start-up check: an error

    // Steering: each off unless given.
    std::string m_order = "random";                   // the speaking order
    std::vector<std::pair<std::string, int>> m_talk;  // NAME, talkativeness
    std::vector<std::string> m_mute;                  // NAMEs muted from the start
    // From a conversation file whose bots are run: each folder's
    // talkativeness and mute, in the order of m_botFolders.
    std::vector<FileBot> m_botTuning;
    std::optional<std::chrono::milliseconds> m_for;  // run this long
    std::optional<std::string> m_stopOn;             // a pattern (RE2) ending it
    std::optional<int> m_loop;                       // a line said this often ends it
    std::optional<int> m_quarantine;                 // failures in a row that sit a bot out
    std::chrono::milliseconds m_jitter{0};           // each interval varies this much

    std::optional<std::string> m_opening;  // the first line handed on, instead of "Hi!"
    bool m_join = false;                   // a human joins through standard input
    std::optional<std::string> m_name;     // the human's name; none: the account's

    // A batch: many conversations of these bots, each with a seed of its own.
    std::optional<long long> m_batch;  // how many; none: one conversation as usual
    std::string m_out;                 // the folder of the logs and the manifest
    std::optional<int> m_jobs;         // conversations at once; none: the processors
    std::optional<Shard> m_shard;      // none: the whole batch, or Slurm's array says
    bool m_keepFolders = false;        // keep each conversation's copies of the bots
    bool m_continuePartial = false;    // continue an interrupted conversation's log
};

// Reads the command line (without the program name). A conversation file
// among the folders gives its values first and the command line's options
// go over them; folders besides it replace its bots. kError with `error`
// naming the problem when an option or its value is wrong, or the file is.
OptionsEnd ParseCliOptions(const std::vector<std::string>& arguments, CliOptions& options,
                           std::string& error);

// The text of --help.
std::string CliUsage();

}  // namespace jabbery
