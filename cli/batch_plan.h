// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace jabbery {

// One of `m_count` equal parts of a batch: the conversations whose index
// (0 for the first seed) modulo m_count is m_index.
struct Shard {
    long long m_index = 0;
    long long m_count = 1;
};

// "I/K" with 0 <= I < K; none when the text is not one.
std::optional<Shard> ReadShard(const std::string& text);

// "shard I/K" for a part, empty text for a whole batch.
std::string ShardName(const Shard& shard);

// The shard a task of a Slurm job array runs, from the array's variables
// `variable` looks up (SLURM_ARRAY_TASK_ID with SLURM_ARRAY_TASK_COUNT or
// SLURM_ARRAY_TASK_MIN and _MAX): task MIN + I runs shard I of the array's
// size. None outside a job array. `error` is set, and none returned, when
// the array cannot be read as shards: a step other than 1 (0-15:4), task
// ids that are not one range, a value that is not a number.
using LookUp = std::function<const char*(const char* variable)>;
std::optional<Shard> SlurmShard(const LookUp& variable, std::string& error);

// The seeds of `shard`'s conversations among `count` from `first` up.
std::vector<unsigned> ShardSeeds(unsigned first, long long count, const Shard& shard);

// True when the log at `path` ends with an end record whose reason is not
// "interrupted": that conversation is over and need not run again.
bool LogIsFinished(const std::string& path);

// The seeds that the manifest at `path` holds a record for; lines that are
// not records (a line cut short) are passed over.
std::set<unsigned> ManifestSeeds(const std::string& path);

}  // namespace jabbery
