// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/conversation_end.h"
#include "engine/conversation_observer.h"
#include "engine/participant.h"
#include "engine/speaker_policy.h"
#include "engine/stop_rules.h"
#include "engine/turn.h"
#include "engine/turn_scheduler.h"

namespace jabbery {

inline constexpr const char* kFirstMessage = "Hi!";

// The one object a front-end talks to: the participants, the turns, who
// speaks next, when turns start and when the conversation stops. The
// front-end feeds it events (its timer's ticks, the user's Exit, close,
// cancel, pause and resume, and the end of each exchange it ran) and does
// what it answers; observers are told what happened. It runs no bot and
// owns no thread: everything is called on the front-end's thread.
class Conversation {
  public:
    using Clock = std::chrono::steady_clock;

    // `clock` tells the time rule how long the conversation has run.
    explicit Conversation(
        std::shared_ptr<SpeakerPolicy> speakers = std::make_shared<RandomSpeakers>(),
        StopRules rules = {}, std::function<Clock::time_point()> clock = Clock::now);

    // `observer` is told of everything that happens from now on, after the
    // observers added before it; it must outlive the conversation's use.
    void AddObserver(ConversationObserver& observer);

    // Set-up: adds `participant` with the next id and colour; observers
    // are told of it (its introduction).
    const Participant& Join(Participant participant);
    // Set-up: the first speaker is handed `line` instead of "Hi!", cleaned
    // as a human's line is (control characters become spaces; cut as a reply is).
    void SetOpening(const std::string& line);

    // Set-up of a conversation its log recorded (replay, continue): adds
    // `participant` keeping its id, colour and kind; observers are told of
    // it as an introduction when `introduced`, else as one added later.
    const Participant& Rejoin(Participant participant, bool introduced);

    // Ends set-up: opens every bot's folder (a folder renamed or replaced
    // later is noticed at the exchange), makes the first participant who
    // may speak the first speaker (after turns caught up with, the one the
    // speaking order chooses), and from now on ticks start turns.
    // Returns the Exit sequence when a rule ends the conversation before
    // its first turn (no turns asked for, fewer than two who may speak).
    SchedulerAction Start();

    SchedulerAction OnTick();
    SchedulerAction OnExit() { return m_scheduler.OnExit(); }
    SchedulerAction OnClose() { return m_scheduler.OnClose(); }
    SchedulerAction OnCancel() { return m_scheduler.OnCancel(); }
    // The Exit sequence's question was cancelled: the conversation goes on.
    void OnExitCancelled() { m_scheduler.OnExitCancelled(); }
    void OnPause() { m_scheduler.OnPause(); }
    // Goes on, also after a rule paused the conversation.
    void OnResume();

    // The exchange the front-end ran for `speaker` has ended. Unless it was
    // cancelled or the conversation has been closed, its reply becomes a
    // turn: counted in the speaker's stats, told to the observers and
    // passed on to the next speaker, whom the SpeakerPolicy then chooses;
    // then the stop rules are asked. Returns what the front-end does next.
    SchedulerAction OnExchangeDone(ParticipantId speaker, const ExchangeResult& result);

    // A turn its log recorded is said again, as it was: counted in the
    // speaker's stats, kept, handed on and told to the observers. No rule
    // is asked and no next speaker chosen: the conversation is only shown.
    void Replay(const Turn& turn);
    // Set-up, before Start: a recorded turn is taken as said, without
    // telling the observers, and with `choose_next` the next speaker is
    // chosen as it was then (the speaking order's draws included), so that
    // the conversation goes on from where its log ends. The turns rule
    // counts only the turns after these.
    void CatchUp(const Turn& turn, bool choose_next);

    // While it runs: the speaking order from the next choice on; muting;
    // the next speaker for one turn; talkativeness; bots joining and
    // leaving. Each refusal comes back in words, empty when done.
    void SetSpeakingOrder(std::shared_ptr<SpeakerPolicy> speakers);
    // The stop rules from the next turn on (the time rule counts from the start).
    void SetRules(StopRules rules);
    std::string SetMuted(ParticipantId id, bool muted);
    std::string SpeakNext(ParticipantId id);
    void SetTalkativeness(ParticipantId id, int talkativeness);
    std::string Add(Participant participant);
    std::string Remove(ParticipantId id);

    // A human joins as `name`, in the first colour of the table no bot has
    // (black when every one is taken); observers are told as of a bot added.
    // A human of that name already in it (rejoined from a log) is that one.
    const Participant& JoinHuman(const CPlainString& name);
    // Human `id` says `text` (control characters become spaces; cut as a
    // reply is); a blank line says nothing. Between turns, or while paused,
    // it is recorded at once; during a turn it waits for that turn's line,
    // unless `interrupt`: then it is recorded now, the bot in flight adds no
    // line, and the answer is kCancelTurn (the front-end stops that bot).
    // Either way the line is handed to the next bot, whom the speaking order
    // chooses after it.
    SchedulerAction Say(ParticipantId id, const std::string& text, bool interrupt);
    // Human `id`'s /quit: ends the conversation as a stop rule does.
    SchedulerAction Quit(ParticipantId id);

    // The conversation has ended (the Exit sequence ran, the window closed,
    // a stop signal came): observers are told why, once. A rule that ended
    // it is the reason; else `reason` with `summary`.
    void Finish(EndReason reason, const std::string& summary);

    const std::vector<Participant>& Participants() const { return m_participants; }
    // Those who joined in set-up (Join), whose introductions head the transcripts.
    const std::vector<ParticipantId>& Introduced() const { return m_introduced; }
    // The bots present called `name`, compared without case (a to z).
    std::vector<ParticipantId> BotsNamed(const std::string& name) const;
    // The participant with id `id`; it must be one of Participants().
    const Participant& Get(ParticipantId id) const;
    // Who speaks on the next turn, and what they answer.
    const Participant& NextSpeaker() const { return m_participants.at(m_next); }
    // Set-up: "NAME=value" entries every exchange adds to its bot's
    // environment (the conversation's id, its log, its kept programs' socket).
    void SetBotEnvironment(std::vector<std::string> entries) {
        m_botEnvironment = std::move(entries);
    }
    // The next speaker's exchange: its profile, whose environment adds to
    // those entries JABBERY_TURN (the number the turn gets), JABBERY_FROM
    // (who said LastMessage(), a bot or a human; empty for the opening) and
    // JABBERY_PARTICIPANTS (the names of those present, tab-separated).
    BotProfile NextExchange() const;
    const CPlainString& LastMessage() const { return m_lastMessage; }
    // The turns so far, oldest first; each without the bot's output.
    const std::vector<Turn>& Turns() const { return m_turns; }
    const TurnScheduler& Scheduler() const { return m_scheduler; }
    const StopRules& Rules() const { return m_rules; }
    // Why a rule last stopped the conversation (the window shows it while
    // paused); none when none has, or after Resume.
    const std::optional<ConversationEnd>& StoppedBy() const { return m_stoppedBy; }
    // Why it ended, once Finish has been called.
    const std::optional<ConversationEnd>& Ended() const { return m_end; }

  private:
    std::size_t IndexOf(ParticipantId id) const;
    ParticipantId NextId() const;
    // The first colour of the table no participant present has (no bot,
    // when `bots_only`); none when all are taken.
    std::optional<int> FreeColour(bool bots_only) const;
    // The bots that have not left, and of those the ones not muted.
    int PresentBots() const;
    int UnmutedBots() const;
    std::vector<bool> WhoCanSpeak() const;
    // Chooses the next speaker after the one at `last`; false when no one can speak.
    bool PickNext(std::optional<std::size_t> last);
    // Counts the speaker's failures and starts its time out when the rule says.
    void Quarantine(Participant& speaker, Turn& turn);
    // The first rule that stops the conversation after the newest turn.
    std::optional<ConversationEnd> RuleAfterTurn(const ExchangeResult& result) const;
    // The end the turns rule gives once the bots have taken its turns (or
    // more: it may be set later); none before, or once it has fired.
    std::optional<ConversationEnd> TurnsUp() const;
    // A rule stops the conversation: the Exit sequence, or a pause in the window.
    SchedulerAction Stop(ConversationEnd end);
    std::string Name(std::size_t index) const { return m_participants[index].m_name.Str(); }
    // Keeps `turn` (numbered already), counts it and passes it on; true when
    // a bot said it.
    bool Keep(Turn turn);
    // Records a human's line as a turn and passes it on.
    void RecordHuman(ParticipantId id, const std::string& text);
    // Records the lines said during the turn in flight, which is over
    // without a line of its own (stopped) or will never end (the end).
    void SayWaitingLines();

    std::vector<Participant> m_participants;
    std::vector<ParticipantId> m_introduced;
    std::vector<Turn> m_turns;
    std::vector<ConversationObserver*> m_observers;
    std::shared_ptr<SpeakerPolicy> m_speakers;
    StopRules m_rules;
    std::function<Clock::time_point()> m_clock;
    Clock::time_point m_startedAt;
    TurnScheduler m_scheduler;
    bool m_started = false;
    std::size_t m_next = 0;  // index of the next speaker
    // Index of who said the last line, a bot or a human: a bot may answer a
    // human even when it spoke just before them.
    std::optional<std::size_t> m_lastSpeaker;
    std::optional<std::size_t> m_chosenNext;  // asked for while a turn ran
    std::optional<ConversationEnd> m_stoppedBy;
    std::optional<ConversationEnd> m_end;
    bool m_timeUp = false;     // the time rule has fired: Resume goes on
    bool m_turnsUp = false;    // the turns rule has fired: Resume goes on
    long long m_botTurns = 0;  // the turns bots took (what --turns counts)
    // Humans' lines said during the turn in flight, recorded after it.
    std::vector<std::pair<ParticipantId, std::string>> m_waitingLines;
    bool m_interrupted = false;  // the turn in flight adds no line
    CPlainString m_lastMessage = kFirstMessage;
    std::vector<std::string> m_botEnvironment;
};

}  // namespace jabbery
