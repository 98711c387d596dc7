// SPDX-License-Identifier: MIT
#include "cli/batch_plan.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

namespace jabbery {

namespace {

// The most of a log's end that is read to find its last line: more than an
// end record holds (a reason, its detail quoting one reply, a count).
constexpr std::streamoff kTailBytes = 1 << 20;

// A whole number of at most 18 digits; none for anything else.
std::optional<long long> ReadCount(std::string_view text) {
    long long number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, number);
    if (text.empty() || text.size() > 18 || status != std::errc() || stop != end || number < 0) {
        return std::nullopt;
    }
    return number;
}

// `path` opened for reading, or not open when it is no regular file: the
// open of a FIFO put under its name would wait for a writer for ever.
std::ifstream OpenRegularFile(const std::string& path, std::ios::openmode mode = {}) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) return {};
    return std::ifstream(path, std::ios::binary | mode);
}

// The last line of `path` that holds anything; empty when there is none.
std::string LastLine(const std::string& path) {
    std::ifstream file = OpenRegularFile(path, std::ios::ate);
    const std::streamoff size = file.is_open() ? static_cast<std::streamoff>(file.tellg()) : -1;
    if (size < 0) return "";
    const std::streamoff from = std::max<std::streamoff>(0, size - kTailBytes);
    std::string tail(static_cast<std::size_t>(size - from), '\0');
    file.seekg(from);
    file.read(tail.data(), static_cast<std::streamsize>(tail.size()));
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r')) tail.pop_back();
    const std::size_t start = tail.rfind('\n');
    return start == std::string::npos ? tail : tail.substr(start + 1);
}

}  // namespace

std::optional<Shard> ReadShard(const std::string& text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const auto index = ReadCount(std::string_view(text).substr(0, slash));
    const auto count = ReadCount(std::string_view(text).substr(slash + 1));
    if (!index || !count || *index >= *count) return std::nullopt;
    return Shard{*index, *count};
}

std::string ShardName(const Shard& shard) {
    if (shard.m_count == 1) return "";
    return "shard " + std::to_string(shard.m_index) + "/" + std::to_string(shard.m_count);
}

std::optional<Shard> SlurmShard(const LookUp& variable, std::string& error) {
    const char* task = variable("SLURM_ARRAY_TASK_ID");
    if (task == nullptr) return std::nullopt;
    // A variable as a number; none (and `error`) when it is set but not one.
    const auto number = [&](const char* name) -> std::optional<long long> {
        const char* value = variable(name);
        if (value == nullptr) return std::nullopt;
        const auto read = ReadCount(value);
        if (!read) error = name + std::string(" is '") + value + "', not a whole number";
        return read;
    };
    const auto id = number("SLURM_ARRAY_TASK_ID");
    const auto step = number("SLURM_ARRAY_TASK_STEP");
    const auto low = number("SLURM_ARRAY_TASK_MIN");
    const auto high = number("SLURM_ARRAY_TASK_MAX");
    auto count = number("SLURM_ARRAY_TASK_COUNT");
    if (!error.empty()) return std::nullopt;
    const std::string how =
        "; run the shards as one range, sbatch --array=0-$((K-1)), or give "
        "--shard I/K";
    if (step && *step != 1) {
        error = "a job array with a step (SLURM_ARRAY_TASK_STEP=" + std::to_string(*step) +
                ") cannot be split into shards" + how;
        return std::nullopt;
    }
    const long long first = low.value_or(0);
    if (!count && high) count = *high - first + 1;
    if (!count) {
        error =
            "SLURM_ARRAY_TASK_ID is set without SLURM_ARRAY_TASK_COUNT or "
            "SLURM_ARRAY_TASK_MAX, so the number of shards is not known" +
            how;
        return std::nullopt;
    }
    if ((high && *high - first + 1 != *count) || *id < first || *id - first >= *count) {
        error = "the job array's task ids are not one range from SLURM_ARRAY_TASK_MIN" + how;
        return std::nullopt;
    }
    return Shard{*id - first, *count};
}

std::vector<unsigned> ShardSeeds(unsigned first, long long count, const Shard& shard) {
    std::vector<unsigned> seeds;
    for (long long index = shard.m_index; index < count; index += shard.m_count) {
        seeds.push_back(static_cast<unsigned>(first + index));
    }
    return seeds;
}

bool LogIsFinished(const std::string& path) {
    const nlohmann::json end = nlohmann::json::parse(LastLine(path), nullptr, false);
    if (!end.is_object() || !end.contains("end") || !end["end"].is_string()) return false;
    return end["end"] != "interrupted";
}

std::set<unsigned> ManifestSeeds(const std::string& path) {
    std::set<unsigned> seeds;
    std::ifstream file = OpenRegularFile(path);
    for (std::string line; std::getline(file, line);) {
        const nlohmann::json record = nlohmann::json::parse(line, nullptr, false);
        if (record.is_object() && record.contains("seed") && record["seed"].is_number_unsigned()) {
            seeds.insert(record["seed"].get<unsigned>());
        }
    }
    return seeds;
}

}  // namespace jabbery
