// SPDX-License-Identifier: MIT
#include "cli/batch_conversation.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/continuation.h"
#include "cli/steering.h"
#include "cli/turn_loop.h"
#include "engine/bot_descriptor.h"
#include "engine/conversation_log_reader.h"
#include "engine/conversation_replay.h"
#include "engine/conversation_runtime.h"
#include "engine/jsonl_log.h"
#include "engine/set_up_record.h"
#include "platform/draws.h"
#include "platform/run_hidden.h"
#include "platform/signal_name.h"
#include "platform/stop_signals.h"

namespace jabbery {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Copies each bot's folder into `folders` as "N-NAME" (N from 1, NAME the
// folder's own name), adding each copy's path to `copies`, and reads the
// bot there. Links inside a folder are copied as links, not followed. False
// with `error` naming what failed.
bool CopyBots(const std::vector<std::string>& originals, const fs::path& folders,
              std::vector<std::string>& copies, std::vector<Participant>& bots,
              std::string& error) {
    std::error_code failure;
    fs::create_directories(folders, failure);
    for (std::size_t i = 0; i < originals.size() && !failure; ++i) {
        fs::path original = fs::path(originals[i]).lexically_normal();
        // "hask/" names the folder "hask".
        if (!original.has_filename()) original = original.parent_path();
        const fs::path copy =
            folders / (std::to_string(i + 1) + "-" + original.filename().string());
        fs::copy(original, copy, fs::copy_options::recursive | fs::copy_options::copy_symlinks,
                 failure);
        if (failure) {
            error = "could not copy " + original.string() + " to " + copy.string() + ": " +
                    failure.message();
            return false;
        }
        copies.push_back(copy.string());  // ReadBot adds the closing "/"
        std::string why;
        std::optional<Participant> bot = ReadBot(copies.back(), &why);
        if (!bot) {
            error = "the copy " + copy.string() + " holds no bot: " + why;
            return false;
        }
        bots.push_back(std::move(*bot));
    }
    if (failure) error = "could not make " + folders.string() + ": " + failure.message();
    return !failure;
}

// The tally of each bot that took part.
std::vector<BotTally> TallyBots(const Conversation& conversation) {
    std::vector<BotTally> bots;
    for (const Participant& bot : conversation.Participants()) {
        const BotStats& stats = bot.m_stats;
        bots.push_back(
            {bot.m_name.Str(), stats.m_turns, stats.m_turns - stats.Count(ExchangeEnd::kAnswered)});
    }
    return bots;
}

// The conversation the batch's log at `path` recorded before it was
// interrupted, for --continue-partial to go on from: none when there is no
// log, when it ended by its rules, or when it cannot be continued (then
// `warning` says why, and the conversation starts again).
std::optional<RecordedConversation> PartialConversation(const std::string& path,
                                                        std::string& warning) {
    std::error_code ignored;
    if (!fs::exists(path, ignored)) return std::nullopt;
    std::vector<std::string> problems;
    std::optional<RecordedConversation> recorded = ReadConversationLog(path, problems, warning);
    if (!recorded) {
        warning += "; it starts again";
    } else if (!recorded->m_setUp || recorded->m_participants.empty()) {
        warning = path + ": it records no conversation's set-up; it starts again";
    } else if (recorded->m_end && recorded->m_end->m_reason != EndReason::kInterrupted) {
        return std::nullopt;
    } else {
        return recorded;
    }
    return std::nullopt;
}

// The rules, order and seed a conversation of the batch runs with: those of
// `options` and its seed; a continued one goes on from `recorded`, its
// --turns then counting the whole conversation's.
Continuation BatchContinuation(const CliOptions& options, unsigned seed,
                               const std::optional<RecordedConversation>& recorded) {
    Continuation given{options.m_order, seed, StopRulesOf(options)};
    if (!recorded) return given;
    if (given.m_rules.m_turns) *given.m_rules.m_turns -= BotTurns(*recorded);
    return ContinuationOf(std::move(given), recorded->m_setUp);
}

}  // namespace

std::string BatchLogPath(const std::string& out, unsigned seed) {
    return (fs::path(out) / (std::to_string(seed) + ".jsonl")).string();
}

std::string BatchFoldersPath(const std::string& out, unsigned seed) {
    return (fs::path(out) / (std::to_string(seed) + ".bots")).string();
}

BatchConversation RunBatchConversation(const CliOptions& options, unsigned seed,
                                       const RunCanceller& canceller) {
    BatchConversation done;
    done.m_seed = seed;
    const Clock::time_point started = Clock::now();
    const std::string log_path = BatchLogPath(options.m_out, seed);
    const fs::path folders = BatchFoldersPath(options.m_out, seed);
    // An earlier run's copies go; its log too unless it is continued.
    std::optional<RecordedConversation> recorded;
    if (options.m_continuePartial) recorded = PartialConversation(log_path, done.m_warning);
    std::error_code ignored;
    fs::remove_all(folders, ignored);

    std::vector<std::string> copies;
    std::vector<Participant> bots;
    const bool copied = CopyBots(options.m_botFolders, folders, copies, bots, done.m_error);
    if (copied && recorded) {
        if (const std::string problem = ReloadBots(*recorded, copies); !problem.empty()) {
            done.m_warning = log_path + ": " + problem + "; it starts again";
            recorded.reset();
        }
    }
    if (!recorded) fs::remove(log_path, ignored);
    // The seed names the run too: conversations of one process start in one millisecond.
    const std::string id = recorded && !recorded->m_setUp->m_id.empty()
                               ? recorded->m_setUp->m_id
                               : ConversationId() + "-" + std::to_string(seed);
    JsonlLog log(id);
    // Its bots are told of it as in any conversation, but can keep no
    // program (JABBERY_KEEP is empty); without a runtime folder they are
    // told less (JABBERY_LOG empty too).
    ConversationRuntime runtime(id);
    std::string no_runtime;
    if (copied && log.Open(log_path, done.m_error)) {
        const Continuation continuation = BatchContinuation(options, seed, recorded);
        SeedDraws(*continuation.m_seed);
        Conversation conversation(MakeSpeakingOrder(continuation.m_order), continuation.m_rules);
        conversation.AddObserver(log);
        // No host of kept programs: it would be forked from this thread
        // while others run, and could find a lock of theirs taken for ever.
        if (runtime.Open(std::nullopt, no_runtime)) conversation.AddObserver(runtime.Log());
        conversation.SetBotEnvironment(runtime.Environment());
        if (recorded) {
            GoOnFrom(conversation, *recorded, continuation, options.m_opening, log);
        } else {
            for (Participant& bot : bots) conversation.Join(std::move(bot));
            if (options.m_opening) conversation.SetOpening(*options.m_opening);
            log.BeginWithHeader(RecordSetUp("jabbery-cli", continuation.m_order, seed,
                                            conversation.LastMessage(), conversation.Rules()),
                                conversation.Participants());
        }
        runtime.BeginLog(RecordSetUp("jabbery-cli", continuation.m_order, seed,
                                     conversation.LastMessage(), conversation.Rules()),
                         conversation, recorded ? recorded->m_turns : std::vector<Turn>());
        // Checked on the bots' own folders before the batch started.
        ApplyBotSettings(conversation, options);
        const TurnLoopSettings settings{
            options.m_interval, options.m_timeout, nullptr, options.m_jitter, seed, nullptr};
        ProcessBotRunner runner;
        RunTurnLoop(conversation, runner, settings, canceller);
        const int stop_signal = StopSignalReceived();
        conversation.Finish(EndReason::kInterrupted,
                            stop_signal != 0 ? "interrupted by " + SignalName(stop_signal)
                                             : "the batch was stopped");
        done.m_turns = static_cast<long long>(conversation.Turns().size());
        done.m_end = EndKey(conversation.Ended()->m_reason);
        done.m_bots = TallyBots(conversation);
        if (!log.Finish(done.m_error)) {
            done.m_result = BatchConversation::Result::kFailed;
        } else if (conversation.Ended()->m_reason == EndReason::kInterrupted) {
            done.m_result = BatchConversation::Result::kInterrupted;
        } else {
            done.m_result = BatchConversation::Result::kDone;
        }
    }
    if (!options.m_keepFolders) fs::remove_all(folders, ignored);
    done.m_wallTime = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    return done;
}

std::string ManifestRecord(const BatchConversation& conversation) {
    nlohmann::ordered_json bots = nlohmann::ordered_json::array();
    for (const BotTally& bot : conversation.m_bots) {
        bots.push_back(
            {{"name", bot.m_name}, {"turns", bot.m_turns}, {"failures", bot.m_failures}});
    }
    const nlohmann::ordered_json record = {
        {"seed", conversation.m_seed},
        {"turns", conversation.m_turns},
        {"end", conversation.m_end},
        {"bots", bots},
        {"seconds", static_cast<double>(conversation.m_wallTime.count()) / 1000.0},
    };
    return record.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace jabbery
