// SPDX-License-Identifier: MIT
#pragma once

namespace jabbery {

// What a front-end must do after feeding the scheduler an event.
enum class SchedulerAction {
    kNothing,
    kStartTurn,        // start the current speaker's exchange now
    kRunExitSequence,  // stop the timer, offer to save, close (StopConversation)
    kCancelTurn,       // stop the exchange in flight at once
};

// After a turn's exchange has ended: whether its reply joins the
// conversation, and what comes next.
struct TurnFollowUp {
    bool m_record = false;
    SchedulerAction m_next = SchedulerAction::kNothing;
};

// The one place that decides when a turn starts. A pure event machine: the
// front-end's timer delivers ticks (the scheduler owns no clock), the
// front-end runs the exchanges, and both the window and the terminal runner
// feed it the same events and do what it answers.
//
// Its rules: one turn at a time; a tick during a turn marks one turn due,
// which starts as soon as the reply is in (ticks do not pile up); Exit during
// a turn runs the Exit sequence right after that turn; close ends everything
// at once, cancelling the turn in flight and recording nothing more; cancel
// stops the turn in flight at once and then runs the Exit sequence; while
// paused no turn starts, and a turn in flight still finishes.
class TurnScheduler {
  public:
    // The conversation has started: from now on ticks start turns.
    void Start() { m_running = !m_ended; }

    SchedulerAction OnTick();
    TurnFollowUp OnTurnFinished();
    SchedulerAction OnExit();
    SchedulerAction OnClose();
    SchedulerAction OnCancel();
    // The Exit sequence's question was cancelled: the conversation goes on.
    void OnExitCancelled();
    void OnPause() { m_paused = true; }
    void OnResume() { m_paused = false; }

    bool IsTurnInFlight() const { return m_turnInFlight; }
    // True when the turn in flight, once finished, is recorded: the
    // conversation has not been closed.
    bool WillRecordTurn() const { return m_turnInFlight && !m_closed; }
    bool IsPaused() const { return m_paused; }
    // True once Exit has been asked for while a turn was in flight.
    bool IsExitPending() const { return m_exitPending; }

  private:
    SchedulerAction StartTurn();
    SchedulerAction End(SchedulerAction action);

    bool m_running = false;
    bool m_ended = false;
    bool m_closed = false;
    bool m_paused = false;
    bool m_turnInFlight = false;
    bool m_turnDue = false;
    bool m_exitPending = false;
};

}  // namespace jabbery
