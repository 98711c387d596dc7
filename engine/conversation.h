// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <vector>

#include "engine/conversation_observer.h"
#include "engine/participant.h"
#include "engine/speaker_policy.h"
#include "engine/turn.h"
#include "engine/turn_scheduler.h"

namespace jabbery {

inline constexpr const char* kFirstMessage = "Hi!";

// The one object a front-end talks to: the participants, the turns, who
// speaks next and when turns start. The front-end feeds it events (its
// timer's ticks, the user's Exit, close, cancel, pause and resume, and the
// end of each exchange it ran) and does what it answers; observers are told
// what happened. It runs no bot and owns no clock or thread: everything is
// called on the front-end's thread.
class Conversation {
  public:
    explicit Conversation(std::shared_ptr<SpeakerPolicy> speakers =
                              std::make_shared<RandomSpeakers>());

    // `observer` is told of everything that happens from now on, after the
    // observers added before it; it must outlive the conversation's use.
    void AddObserver(ConversationObserver& observer);

    // Set-up: adds `participant` with the next id and colour; observers
    // are told of it (its introduction).
    const Participant& Join(Participant participant);

    // Ends set-up: opens every bot's folder (a folder renamed or replaced
    // later is noticed at the exchange), makes the first participant the
    // first speaker, and from now on ticks start turns.
    void Start();

    SchedulerAction OnTick() { return m_scheduler.OnTick(); }
    SchedulerAction OnExit() { return m_scheduler.OnExit(); }
    SchedulerAction OnClose() { return m_scheduler.OnClose(); }
    SchedulerAction OnCancel() { return m_scheduler.OnCancel(); }
    // The Exit sequence's question was cancelled: the conversation goes on.
    void OnExitCancelled() { m_scheduler.OnExitCancelled(); }
    void OnPause() { m_scheduler.OnPause(); }
    void OnResume() { m_scheduler.OnResume(); }

    // The exchange the front-end ran for `speaker` has ended. Unless it was
    // cancelled or the conversation has been closed, its reply becomes a
    // turn: counted in the speaker's stats, told to the observers and
    // passed on to the next speaker, whom the SpeakerPolicy then chooses.
    // Returns what the front-end does next.
    SchedulerAction OnExchangeDone(ParticipantId speaker, const ExchangeResult& result);

    const std::vector<Participant>& Participants() const { return m_participants; }
    // The participant with id `id`; it must be one of Participants().
    const Participant& Get(ParticipantId id) const;
    // Who speaks on the next turn, and what they answer.
    const Participant& NextSpeaker() const { return m_participants.at(m_next); }
    const CPlainString& LastMessage() const { return m_lastMessage; }
    // The turns so far, oldest first; each without the bot's output.
    const std::vector<Turn>& Turns() const { return m_turns; }
    const TurnScheduler& Scheduler() const { return m_scheduler; }

  private:
    std::size_t IndexOf(ParticipantId id) const;

    std::vector<Participant> m_participants;
    std::vector<Turn> m_turns;
    std::vector<ConversationObserver*> m_observers;
    std::shared_ptr<SpeakerPolicy> m_speakers;
    TurnScheduler m_scheduler;
    std::size_t m_next = 0;  // index of the next speaker in m_participants
    CPlainString m_lastMessage = kFirstMessage;
};

}  // namespace jabbery
