// SPDX-License-Identifier: MIT
#include "cli/batch_command.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

#include "cli/batch_runner.h"
#include "cli/steering.h"
#include "cli/waiting_line.h"
#include "platform/terminal.h"

namespace jabbery {

namespace {

// The conversations at once when --jobs is not given: the processors Slurm
// gave the task, or else the machine's.
int DefaultJobs() {
    if (const char* cpus = std::getenv("SLURM_CPUS_PER_TASK"); cpus != nullptr) {
        if (const int count = std::atoi(cpus); count > 0) return count;
    }
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// Whether `inner` is `outer` or lies below it; both already canonical.
bool IsWithin(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    return std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end()).first ==
           outer.end();
}

// Why the batch cannot start, or empty text.
std::string WhyBatchCannotStart(const CliOptions& options, const std::vector<Participant>& bots) {
    const long long last =
        static_cast<long long>(options.m_seed.value_or(1)) + *options.m_batch - 1;
    if (last > 0xFFFFFFFFLL) {
        return "--batch " + std::to_string(*options.m_batch) + " from seed " +
               std::to_string(options.m_seed.value_or(1)) +
               " would need seeds above 4294967295; run fewer or start lower";
    }
    // --talk and --mute are tried once on the bots as given, not in every conversation.
    Conversation trial;
    for (const Participant& bot : bots) trial.Join(bot);
    if (std::string problem = ApplyBotSettings(trial, options); !problem.empty()) return problem;
    // Each conversation copies the bots' folders into --out: an --out inside
    // one would be copied into itself without end.
    std::error_code failure;
    const std::filesystem::path out = std::filesystem::weakly_canonical(options.m_out, failure);
    for (const Participant& bot : bots) {
        const std::string folder = bot.m_folder.Str();
        if (!failure && IsWithin(out, std::filesystem::weakly_canonical(folder, failure))) {
            return "--out " + options.m_out + " is inside the folder of " + bot.m_name.Str() +
                   " (" + folder + "), which each conversation copies; choose one outside it";
        }
    }
    std::filesystem::create_directories(options.m_out, failure);
    if (failure) return "--out " + options.m_out + ": " + failure.message();
    return "";
}

}  // namespace

int RunBatchCommand(const CliOptions& options, const std::vector<Participant>& bots,
                    const RunCanceller& canceller, StopAwareOutput& out, StopAwareOutput& err,
                    bool progress) {
    const auto warn = [&err](const std::string& text) { err.Write("jabbery-cli: " + text + "\n"); };
    std::string error;
    std::optional<Shard> shard = options.m_shard;
    if (!shard) shard = SlurmShard(std::getenv, error);
    if (!error.empty()) {
        warn(error);
        return 2;
    }
    if (const std::string problem = WhyBatchCannotStart(options, bots); !problem.empty()) {
        warn(problem);
        return 2;
    }
    bool shown = false;
    const BatchProgress show = [&](const BatchTally& tally, std::chrono::milliseconds elapsed) {
        err.Write(kClearLine + ProgressText(tally, elapsed));
        shown = true;
    };
    const BatchTally tally =
        RunBatch(options, shard.value_or(Shard{}), options.m_jobs.value_or(DefaultJobs()),
                 canceller, progress ? show : BatchProgress(), [&](const std::string& problem) {
                     if (shown) err.Write(kClearLine);
                     warn(problem);
                 });
    if (shown) err.Write(kClearLine);
    // The summary is the batch's answer: a run that cannot write it (a full
    // disk) failed. A reader gone away is told by the exit status instead.
    if (!out.Write(SummaryText(tally, shard.value_or(Shard{})) + "\n") && out.Error() != EPIPE) {
        warn("the summary cannot be written to standard output (" +
             std::system_category().message(out.Error()) + ")");
        return 1;
    }
    return tally.m_done + tally.m_skipped == tally.m_total ? 0 : 1;
}

}  // namespace jabbery
