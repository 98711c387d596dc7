// SPDX-License-Identifier: MIT
#include "cli/turn_loop.h"

#include <algorithm>
#include <future>

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

// Runs `speaker`'s exchange. With a waiting line, the exchange runs on a
// thread of its own while this one keeps the line up to date.
ExchangeResult RunExchange(BotRunner& runner, const Participant& speaker,
                           const CPlainString& message, const RunLimits& limits,
                           WaitingLine* waiting) {
    const BotProfile bot = speaker.Profile();
    if (waiting == nullptr) return runner.Run(bot, message, limits);
    std::future<ExchangeResult> exchange =
        std::async(std::launch::async, [&] { return runner.Run(bot, message, limits); });
    const std::string name = speaker.m_name.Upper().Str();
    const Clock::time_point started = Clock::now();
    Clock::time_point next_update = started + kWaitingLineAfter;
    while (exchange.wait_until(next_update) != std::future_status::ready) {
        waiting->Show(
            name, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started));
        next_update += std::chrono::seconds(1);
    }
    waiting->Clear();
    return exchange.get();
}

}  // namespace

void RunTurnLoop(Conversation& conversation, BotRunner& runner, const TurnLoopSettings& settings,
                 const RunCanceller& canceller) {
    const RunLimits limits{settings.m_timeLimit, &canceller};
    long long started = 0;
    Clock::time_point next_tick = Clock::now() + settings.m_interval;
    SchedulerAction action =
        settings.m_turns == 0 ? conversation.OnExit() : SchedulerAction::kNothing;

    while (action != SchedulerAction::kRunExitSequence) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next_tick - Clock::now());
        if (canceller.WaitFor(std::max(wait, std::chrono::milliseconds(0)))) {
            action = conversation.OnCancel();
            continue;
        }
        // This is the tick due at next_tick, even when the wait ended a moment early.
        next_tick = NextBeat(next_tick, std::max(next_tick, Clock::now()), settings.m_interval);
        action = conversation.OnTick();
        while (action == SchedulerAction::kStartTurn) {
            const Participant& speaker = conversation.NextSpeaker();
            const ExchangeResult result = RunExchange(runner, speaker, conversation.LastMessage(),
                                                      limits, settings.m_waitingLine);
            // The events that came while the bot ran, in the order they mean:
            // a stop, the last turn asked for, a tick that fell due.
            if (canceller.IsCancelled()) conversation.OnCancel();
            if (settings.m_turns && ++started >= *settings.m_turns) conversation.OnExit();
            if (Clock::now() >= next_tick) {
                next_tick = NextBeat(next_tick, Clock::now(), settings.m_interval);
                conversation.OnTick();
            }
            action = conversation.OnExchangeDone(speaker.m_id, result);
        }
    }
}

}  // namespace jabbery
