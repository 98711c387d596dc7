// SPDX-License-Identifier: MIT
#include "engine/turn_scheduler.h"

namespace jabbery {

SchedulerAction TurnScheduler::OnTick() {
    if (!m_running || m_paused || m_exitPending) return SchedulerAction::kNothing;
    if (m_turnInFlight) {
        // Ticks do not pile up: one turn is due, whatever came meanwhile.
        m_turnDue = true;
        return SchedulerAction::kNothing;
    }
    return StartTurn();
}

TurnFollowUp TurnScheduler::OnTurnFinished() {
    if (!m_turnInFlight) return {};
    m_turnInFlight = false;
    // A closed conversation takes nothing more in, not even this reply.
    if (m_closed) return {};
    if (m_exitPending) return {true, End(SchedulerAction::kRunExitSequence)};
    if (m_turnDue && m_running && !m_paused) return {true, StartTurn()};
    m_turnDue = false;
    return {true, SchedulerAction::kNothing};
}

SchedulerAction TurnScheduler::OnExit() {
    if (m_ended) return SchedulerAction::kNothing;
    if (m_turnInFlight) {
        m_exitPending = true;
        return SchedulerAction::kNothing;
    }
    return End(SchedulerAction::kRunExitSequence);
}

SchedulerAction TurnScheduler::OnClose() {
    m_closed = true;
    const bool was_in_flight = m_turnInFlight;
    End(SchedulerAction::kNothing);
    return was_in_flight ? SchedulerAction::kCancelTurn : SchedulerAction::kNothing;
}

SchedulerAction TurnScheduler::OnCancel() {
    if (m_ended) return SchedulerAction::kNothing;
    if (m_turnInFlight) {
        // The Exit sequence follows once the stopped exchange has come back.
        m_exitPending = true;
        return SchedulerAction::kCancelTurn;
    }
    return End(SchedulerAction::kRunExitSequence);
}

void TurnScheduler::OnExitCancelled() {
    if (m_closed || !m_ended) return;
    m_ended = false;
    m_running = true;
    m_exitPending = false;
}

SchedulerAction TurnScheduler::StartTurn() {
    m_turnInFlight = true;
    m_turnDue = false;
    return SchedulerAction::kStartTurn;
}

SchedulerAction TurnScheduler::End(SchedulerAction action) {
    m_running = false;
    m_ended = true;
    m_turnDue = false;
    return action;
}

}  // namespace jabbery
