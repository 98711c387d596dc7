// SPDX-License-Identifier: MIT
#include "cli/turn_loop.h"

#include <algorithm>
#include <future>
#include <random>
#include <system_error>

#include "cli/waiting_line.h"
#include "platform/run_hidden.h"

namespace jabbery {

namespace {

using Clock = std::chrono::steady_clock;

// The timer's next tick after `now`, on the beat of `beat` (a tick at or
// before `now`): ticks missed during a long turn are not made up, and the
// beat does not move. Without an interval, ticks come at once.
Clock::time_point NextBeat(Clock::time_point beat, Clock::time_point now,
                           std::chrono::milliseconds interval) {
    if (interval.count() <= 0) return now;
    return beat + ((now - beat) / interval + 1) * interval;
}

// Runs `speaker`'s exchange. With a waiting line or a poll, the exchange
// runs on a thread of its own, stopped by a canceller of its own, while this
// one keeps the line up to date, polls, and passes on a stop.
ExchangeResult RunExchange(BotRunner& runner, const BotProfile& bot, const CPlainString& message,
                           const RunLimits& limits, const TurnLoopSettings& settings) {
    WaitingLine* waiting = settings.m_waitingLine;
    if (waiting == nullptr && !settings.m_poll) return runner.Run(bot, message, limits);
    RunCanceller turn;
    // The message is copied: a human's line may replace the conversation's
    // last message while the bot is still being handed it.
    std::future<ExchangeResult> exchange;
    try {
        exchange =
            std::async(std::launch::async, [&runner, &bot, &turn, message, limit = limits.m_limit] {
                return runner.Run(bot, message, RunLimits{limit, &turn});
            });
    } catch (const std::system_error&) {
        // No thread can be started (a process or memory limit): the exchange
        // runs here, with its time limit, and the line and the poll wait for it.
        return runner.Run(bot, message, limits);
    }
    const std::string name = bot.m_name.Upper().Str();
    const Clock::time_point started = Clock::now();
    Clock::time_point next_update = started + kWaitingLineAfter;
    while (exchange.wait_for(kPollEvery) != std::future_status::ready) {
        if (limits.m_canceller != nullptr && limits.m_canceller->IsCancelled()) turn.Cancel();
        if (settings.m_poll && settings.m_poll() == SchedulerAction::kCancelTurn) turn.Cancel();
        if (waiting != nullptr && Clock::now() >= next_update) {
            waiting->Show(name, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() -
                                                                                      started));
            next_update += std::chrono::seconds(1);
        }
    }
    if (waiting != nullptr) waiting->Clear();
    return exchange.get();
}

}  // namespace

void RunTurnLoop(Conversation& conversation, BotRunner& runner, const TurnLoopSettings& settings,
                 const RunCanceller& canceller) {
    const RunLimits limits{settings.m_timeLimit, &canceller};
    // Its own generator: the speakers' draws stay those of the seed.
    std::mt19937 jitter_draws(settings.m_jitterSeed);
    const auto jittered = [&](Clock::time_point beat) {
        const long long most = settings.m_jitter.count();
        if (most <= 0) return beat;
        return beat + std::chrono::milliseconds(
                          std::uniform_int_distribution<long long>(-most, most)(jitter_draws));
    };
    // The beat the ticks keep, and when the next one comes.
    Clock::time_point beat = Clock::now() + settings.m_interval;
    Clock::time_point next_tick = jittered(beat);
    const auto next = [&](Clock::time_point now) {
        beat = NextBeat(beat, std::max(beat, now), settings.m_interval);
        next_tick = jittered(beat);
    };
    SchedulerAction action = conversation.Start();

    while (action != SchedulerAction::kRunExitSequence) {
        const auto wait =
            std::max(std::chrono::ceil<std::chrono::milliseconds>(next_tick - Clock::now()),
                     std::chrono::milliseconds(0));
        if (canceller.WaitFor(settings.m_poll ? std::min(wait, kPollEvery) : wait)) {
            action = conversation.OnCancel();
            continue;
        }
        if (settings.m_poll) {
            action = settings.m_poll();
            if (action == SchedulerAction::kRunExitSequence) break;
            if (Clock::now() < next_tick) continue;
        }
        // This is the tick due at next_tick, even when the wait ended a moment early.
        next(Clock::now());
        action = conversation.OnTick();
        while (action == SchedulerAction::kStartTurn) {
            const ParticipantId id = conversation.NextSpeaker().m_id;
            const ExchangeResult result = RunExchange(runner, conversation.NextExchange(),
                                                      conversation.LastMessage(), limits, settings);
            // The events that came while the bot ran, in the order they mean:
            // a stop, a tick that fell due; then the turn, after which the
            // conversation's rules may end it.
            if (canceller.IsCancelled()) conversation.OnCancel();
            if (Clock::now() >= next_tick) {
                next(Clock::now());
                conversation.OnTick();
            }
            action = conversation.OnExchangeDone(id, result);
        }
    }
}

}  // namespace jabbery
