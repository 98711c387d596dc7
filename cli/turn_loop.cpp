// SPDX-License-Identifier: MIT
#include "cli/turn_loop.h"

#include <algorithm>

#include "engine/turn_scheduler.h"
#include "platform/run_hidden.h"

namespace jabbery {

void RunTurnLoop(ConversationState& state, DocumentView& view, const TurnLoopSettings& settings,
                 const RunCanceller& canceller, const TurnRecorded& recorded) {
    using Clock = std::chrono::steady_clock;
    TurnScheduler scheduler;
    scheduler.Start();
    const RunLimits limits{settings.m_timeLimit, &canceller};
    long long started = 0;
    Clock::time_point next_tick = Clock::now() + settings.m_interval;
    SchedulerAction action = settings.m_turns == 0 ? scheduler.OnExit() : SchedulerAction::kNothing;

    while (action != SchedulerAction::kRunExitSequence) {
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(next_tick - Clock::now());
        if (canceller.WaitFor(std::max(wait, std::chrono::milliseconds(0)))) {
            action = scheduler.OnCancel();
            continue;
        }
        next_tick = std::max(next_tick, Clock::now()) + settings.m_interval;
        action = scheduler.OnTick();
        while (action == SchedulerAction::kStartTurn) {
            const int speaker = state.m_current;
            const ExchangeResult result =
                InvokeBot(state.Profile(speaker), state.m_lastMessage, limits);
            // The events that came while the bot ran, in the order they mean:
            // a stop, the last turn asked for, a tick that fell due.
            if (canceller.IsCancelled()) scheduler.OnCancel();
            if (settings.m_turns && ++started >= *settings.m_turns) scheduler.OnExit();
            if (Clock::now() >= next_tick) {
                next_tick = Clock::now() + settings.m_interval;
                scheduler.OnTick();
            }
            const TurnFollowUp follow_up = scheduler.OnTurnFinished();
            if (follow_up.m_record && FinishTurn(state, view, result)) {
                recorded(speaker, result.m_outcome);
            }
            action = follow_up.m_next;
        }
    }
}

}  // namespace jabbery
