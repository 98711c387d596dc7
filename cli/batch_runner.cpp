// SPDX-License-Identifier: MIT
#include "cli/batch_runner.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/batch_conversation.h"
#include "platform/run_hidden.h"
#include "platform/slot_locks.h"
#include "platform/text_file.h"

namespace jabbery {

namespace {

using Clock = std::chrono::steady_clock;

// How often a seed another batch is running is looked at again.
constexpr std::chrono::milliseconds kOtherBatchPoll{100};

// The conversations still to run, handed out one at a time to the
// threads, and what they tell back, under one lock.
class BatchQueue {
  public:
    BatchQueue(std::vector<unsigned> seeds, BatchTally& tally, const BatchProblem& problem)
        : m_seeds(std::move(seeds)), m_tally(tally), m_problem(problem) {}

    // The manifest, which also holds the locks on the seeds being run.
    bool OpenManifest(const std::string& path, std::string& error) {
        m_manifestPath = path;
        return m_manifest.Open(path, error) && m_seedLocks.Open(path, error);
    }

    // Runs the conversation of `seed` unless another batch sharing the
    // folder has done it since this one started; while another runs it,
    // waits for that one: each seed's folders and log are only ever those of
    // one conversation, and a seed the other finished counts as done here too.
    void Run(unsigned seed, const CliOptions& options, const RunCanceller& canceller) {
        std::optional<SlotHold> running;
        while (!running.emplace(m_seedLocks, seed).Taken()) {
            running.reset();
            if (canceller.WaitFor(kOtherBatchPoll)) {
                std::lock_guard<std::mutex> lock(m_mutex);
                ++m_tally.m_interrupted;
                return;
            }
        }
        if (LogIsFinished(BatchLogPath(options.m_out, seed)) &&
            ManifestSeeds(m_manifestPath).count(seed) != 0) {
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_tally.m_skipped;
        } else {
            // Still held while the manifest gets its record.
            Finished(RunBatchConversation(options, seed, canceller));
        }
    }

    // The next seed to run; false when there is none left.
    bool Next(unsigned& seed) {
        const std::size_t index = m_next++;
        if (index >= m_seeds.size()) return false;
        seed = m_seeds[index];
        return true;
    }

    void Finished(const BatchConversation& conversation) {
        std::lock_guard<std::mutex> lock(m_mutex);
        using Result = BatchConversation::Result;
        std::string error;
        if (!conversation.m_warning.empty()) {
            m_problem("seed " + std::to_string(conversation.m_seed) + ": " +
                      conversation.m_warning);
        }
        if (conversation.m_result == Result::kDone &&
            !m_manifest.Append(ManifestRecord(conversation) + "\n", error)) {
            m_problem("seed " + std::to_string(conversation.m_seed) + ": " + error);
            ++m_tally.m_failed;
        } else if (conversation.m_result == Result::kDone) {
            ++m_tally.m_done;
            ++m_tally.m_ends[conversation.m_end];
        } else if (conversation.m_result == Result::kInterrupted) {
            ++m_tally.m_interrupted;
        } else {
            m_problem("seed " + std::to_string(conversation.m_seed) + ": " + conversation.m_error);
            ++m_tally.m_failed;
        }
        m_tally.m_turns += conversation.m_turns;
    }

    // A thread has ended; the last one wakes the waiting caller.
    void ThreadEnded() {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_ended;
        m_changed.notify_all();
    }

    // Waits at most `wait` for `threads` threads to have ended; true once they have.
    bool WaitForThreads(std::size_t threads, std::chrono::milliseconds wait) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, wait, [&] { return m_ended == threads; });
    }

    // Tells of a problem of the whole batch while its threads may run.
    void Warn(const std::string& problem) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_problem(problem);
    }

    // Tells `progress` where the batch stands, between two conversations' ends.
    void Report(const BatchProgress& progress, std::chrono::milliseconds elapsed) {
        std::lock_guard<std::mutex> lock(m_mutex);
        progress(m_tally, elapsed);
    }

  private:
    const std::vector<unsigned> m_seeds;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_ended = 0;
    BatchTally& m_tally;
    const BatchProblem& m_problem;
    std::string m_manifestPath;
    AppendingFile m_manifest;
    SlotLocks m_seedLocks;
};

// "1m10s", "42s", "3h05m".
std::string Duration(long long seconds) {
    char text[40];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%lldh%02lldm", seconds / 3600, seconds % 3600 / 60);
    } else if (seconds >= 60) {
        std::snprintf(text, sizeof text, "%lldm%02llds", seconds / 60, seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%llds", seconds);
    }
    return text;
}

}  // namespace

std::string ManifestPath(const std::string& out) {
    return (std::filesystem::path(out) / "manifest.jsonl").string();
}

BatchTally RunBatch(const CliOptions& options, const Shard& shard, int jobs,
                    const RunCanceller& canceller, const BatchProgress& progress,
                    const BatchProblem& problem) {
    BatchTally tally;
    const std::vector<unsigned> seeds =
        ShardSeeds(options.m_seed.value_or(1), *options.m_batch, shard);
    tally.m_total = static_cast<long long>(seeds.size());
    const std::string manifest = ManifestPath(options.m_out);
    const std::set<unsigned> listed = ManifestSeeds(manifest);
    std::vector<unsigned> to_run;
    for (const unsigned seed : seeds) {
        if (listed.count(seed) != 0 && LogIsFinished(BatchLogPath(options.m_out, seed))) {
            ++tally.m_skipped;
        } else {
            to_run.push_back(seed);
        }
    }
    const std::size_t thread_count =
        std::min<std::size_t>(static_cast<std::size_t>(jobs), to_run.size());
    BatchQueue queue(std::move(to_run), tally, problem);
    if (std::string error; thread_count > 0 && !queue.OpenManifest(manifest, error)) {
        problem(error);
        tally.m_failed = tally.m_total - tally.m_skipped;
        return tally;
    }
    // What runs the bots is forked now, while this is the only thread.
    if (const int error = thread_count > 0 ? PrepareHiddenRuns() : 0; error != 0) {
        problem("the bots cannot be run: " + std::system_category().message(error));
    }
    const auto work = [&] {
        unsigned seed = 0;
        while (!canceller.IsCancelled() && queue.Next(seed)) queue.Run(seed, options, canceller);
        queue.ThreadEnded();
    };
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < thread_count; ++i) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error& refused) {
            // Threads are not to be had (a limit on memory or processes): the
            // conversations run on those that started, or else on this one.
            queue.Warn("only " + std::to_string(threads.size()) + " of " +
                       std::to_string(thread_count) + " threads can be started (" +
                       refused.code().message() + "); the batch runs " +
                       std::to_string(std::max<std::size_t>(threads.size(), 1)) +
                       " conversation(s) at a time");
            break;
        }
    }
    if (threads.empty() && thread_count > 0) work();
    const std::size_t workers = std::min(thread_count, std::max<std::size_t>(threads.size(), 1));
    const Clock::time_point started = Clock::now();
    while (!queue.WaitForThreads(workers, std::chrono::seconds(1))) {
        if (progress) {
            queue.Report(progress, std::chrono::duration_cast<std::chrono::milliseconds>(
                                       Clock::now() - started));
        }
    }
    for (std::thread& thread : threads) thread.join();
    return tally;
}

std::string ProgressText(const BatchTally& tally, std::chrono::milliseconds elapsed) {
    const long long finished = tally.m_skipped + tally.m_done + tally.m_failed;
    const double seconds = static_cast<double>(elapsed.count()) / 1000.0;
    char rate[40];
    std::snprintf(rate, sizeof rate, "%.1f", seconds > 0 ? tally.m_turns / seconds : 0.0);
    std::string text = std::to_string(finished) + "/" + std::to_string(tally.m_total) +
                       " conversations, " + rate + " turns/s";
    const long long ran = tally.m_done + tally.m_failed;
    if (ran > 0) {
        const long long left = (tally.m_total - finished) * elapsed.count() / ran / 1000;
        text += ", about " + Duration(left) + " left";
    }
    return text;
}

std::string SummaryText(const BatchTally& tally, const Shard& shard) {
    const std::string name = ShardName(shard);
    std::string text = (name.empty() ? "" : name + ": ") + std::to_string(tally.m_total) +
                       " conversations: " + std::to_string(tally.m_done) + " done, " +
                       std::to_string(tally.m_skipped) + " skipped (done before), " +
                       std::to_string(tally.m_failed) + " failed, " +
                       std::to_string(tally.m_interrupted) + " interrupted";
    const long long not_started =
        tally.m_total - tally.m_done - tally.m_skipped - tally.m_failed - tally.m_interrupted;
    if (not_started > 0) text += ", " + std::to_string(not_started) + " not started";
    std::string ends;
    for (const auto& [reason, count] : tally.m_ends) {
        ends += (ends.empty() ? "" : ", ") + reason + " " + std::to_string(count);
    }
    return text + (ends.empty() ? "" : "; ended by " + ends);
}

}  // namespace jabbery
