// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "cli/options.h"

namespace jabbery {

class RunCanceller;

// How one bot fared in a conversation of a batch.
struct BotTally {
    std::string m_name;
    int m_turns = 0;
    int m_failures = 0;  // turns it did not answer in time
};

// What became of one conversation of a batch.
struct BatchConversation {
    enum class Result {
        kDone,         // it ended by its rules; its log is whole
        kInterrupted,  // the batch was stopped; its log ends "interrupted"
        kFailed,       // it could not be run or logged: m_error says why
    };
    Result m_result = Result::kFailed;
    unsigned m_seed = 0;
    long long m_turns = 0;
    std::string m_end;  // the end record's reason ("turns", "time", ...)
    std::vector<BotTally> m_bots;
    std::chrono::milliseconds m_wallTime{0};
    std::string m_error;
    std::string m_warning;  // why its log was not continued, when it was asked to be
};

// The log of conversation `seed` in the batch folder `out`, and the folder
// that holds its copies of the bots' folders.
std::string BatchLogPath(const std::string& out, unsigned seed);
std::string BatchFoldersPath(const std::string& out, unsigned seed);

// Runs conversation `seed` of the batch `options` describes on the calling
// thread: whatever an earlier run left of it (a log, folders) goes first,
// except that with --continue-partial a log that ends "interrupted" or has
// no end is continued, the bots read from fresh copies and --turns counting
// the turns it had;
// each bot runs in a fresh copy of its folder; the log is written as the
// conversation goes; the copies are removed at the end unless
// --keep-folders. The draws of the speaking order and the jitter are those
// of `seed`. `canceller` stops it at once (the log then ends "interrupted").
BatchConversation RunBatchConversation(const CliOptions& options, unsigned seed,
                                       const RunCanceller& canceller);

// The manifest's record of a finished conversation: one JSON object, no line end.
std::string ManifestRecord(const BatchConversation& conversation);

}  // namespace jabbery
