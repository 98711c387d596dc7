// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>

#include "cli/options.h"

namespace jabbery {

class RunCanceller;

// How a batch (or the shard of it this process runs) stands.
struct BatchTally {
    long long m_total = 0;                    // the shard's conversations
    long long m_skipped = 0;                  // done by an earlier run
    long long m_done = 0;                     // done by this run
    long long m_failed = 0;                   // could not be run or logged
    long long m_interrupted = 0;              // stopped part-way; a re-run starts or continues them
    long long m_turns = 0;                    // the turns of the conversations this run did
    std::map<std::string, long long> m_ends;  // this run's conversations by end reason
};

// Told about once a second while a batch runs: where it stands and how long it has run.
using BatchProgress = std::function<void(const BatchTally& tally, std::chrono::milliseconds)>;
// Told of each conversation that fails, in one line. Neither is told
// anything while the other is.
using BatchProblem = std::function<void(const std::string& problem)>;

// Runs `shard` of the batch `options` asks for, `jobs` conversations at a
// time, each on a thread of its own (RunBatchConversation). A conversation
// whose log ends by its rules and that the manifest lists is done and
// skipped; any other runs from nothing, or with --continue-partial goes on
// from its log when that was interrupted. Each finished conversation adds
// its record to DIR/manifest.jsonl in one write, so processes sharing the
// folder may append side by side. `canceller` stops every conversation
// at once; no new one starts. Returns once every thread has ended.
BatchTally RunBatch(const CliOptions& options, const Shard& shard, int jobs,
                    const RunCanceller& canceller, const BatchProgress& progress,
                    const BatchProblem& problem);

// The manifest of the batch folder `out`.
std::string ManifestPath(const std::string& out);

// "120/250 conversations, 35.2 turns/s, about 1m10s left", for a progress line.
std::string ProgressText(const BatchTally& tally, std::chrono::milliseconds elapsed);

// The line that closes a batch: which shard, done, skipped, failed and
// interrupted conversations, and the end reasons.
std::string SummaryText(const BatchTally& tally, const Shard& shard);

}  // namespace jabbery
