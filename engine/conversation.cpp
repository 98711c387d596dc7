// SPDX-License-Identifier: MIT
#include "engine/conversation.h"

#include <algorithm>
#include <stdexcept>

#include "engine/loop_rule.h"
#include "values/bot_protocol.h"
#include "values/conversation_facts.h"
#include "values/limit_text.h"

namespace jabbery {

const char* EndKey(EndReason reason) {
    switch (reason) {
        case EndReason::kTurns:
            return "turns";
        case EndReason::kTime:
            return "time";
        case EndReason::kStopOn:
            return "stop-on";
        case EndReason::kLoop:
            return "loop";
        case EndReason::kNoSpeakers:
            return "no-speakers";
        case EndReason::kInterrupted:
            return "interrupted";
        case EndReason::kExit:
            return "exit";
        case EndReason::kClose:
            return "close";
        case EndReason::kQuit:
            return "quit";
    }
    return "exit";
}

Conversation::Conversation(std::shared_ptr<SpeakerPolicy> speakers, StopRules rules,
                           std::function<Clock::time_point()> clock)
    : m_speakers(std::move(speakers)), m_rules(std::move(rules)), m_clock(std::move(clock)) {}

void Conversation::AddObserver(ConversationObserver& observer) {
    m_observers.push_back(&observer);
}

const Participant& Conversation::Join(Participant participant) {
    participant.m_id = NextId();
    // Colours go round the transcript's table in the order of joining.
    participant.m_colour = static_cast<int>(m_participants.size() % kMaxBots);
    const Participant& joined = m_participants.emplace_back(std::move(participant));
    m_introduced.push_back(joined.m_id);
    for (ConversationObserver* observer : m_observers) observer->ParticipantJoined(*this, joined);
    return joined;
}

const Participant& Conversation::Rejoin(Participant participant, bool introduced) {
    const Participant& joined = m_participants.emplace_back(std::move(participant));
    if (introduced) m_introduced.push_back(joined.m_id);
    for (ConversationObserver* observer : m_observers) {
        if (introduced) {
            observer->ParticipantJoined(*this, joined);
        } else {
            observer->ParticipantAdded(*this, joined);
        }
    }
    return joined;
}

SchedulerAction Conversation::Start() {
    for (Participant& participant : m_participants) {
        // Once, before the first exchange: what later takes a folder's name is never used.
        std::string why;
        participant.m_openFolder = BotFolder::Open(participant.m_folder.Str(), why);
    }
    m_startedAt = m_clock();
    m_started = true;
    m_scheduler.Start();
    if (m_rules.m_turns && *m_rules.m_turns <= 0) {
        return Stop({EndReason::kTurns, "no turns were asked for", ""});
    }
    // A conversation that goes on from its log chooses after its last speaker.
    if (!PickNext(m_lastSpeaker))
        return Stop({EndReason::kNoSpeakers, "fewer than two bots can speak", ""});
    return SchedulerAction::kNothing;
}

SchedulerAction Conversation::OnTick() {
    // Compared in milliseconds: a long time (a million hours) in the clock's
    // nanoseconds would overflow and seem up at once.
    if (m_rules.m_time && !m_timeUp &&
        std::chrono::duration_cast<std::chrono::milliseconds>(m_clock() - m_startedAt) >=
            *m_rules.m_time) {
        m_timeUp = true;
        return Stop({EndReason::kTime, "its time of " + LimitText(*m_rules.m_time) + " is up", ""});
    }
    // A count of turns set when more were taken (the Stop rules dialog) is
    // met now, as a time already up is.
    if (std::optional<ConversationEnd> turns = TurnsUp()) {
        m_turnsUp = true;
        return Stop(*turns);
    }
    // A speaker muted, removed or sitting out since the choice is chosen again.
    const bool ready = m_participants.at(m_next).CanSpeak() && m_lastSpeaker != m_next;
    if (!ready && !m_scheduler.IsTurnInFlight() && !PickNext(m_lastSpeaker)) {
        return Stop({EndReason::kNoSpeakers, "fewer than two bots can speak", ""});
    }
    return m_scheduler.OnTick();
}

void Conversation::OnResume() {
    m_stoppedBy.reset();
    m_scheduler.OnResume();
}

const Participant& Conversation::Get(ParticipantId id) const {
    return m_participants[IndexOf(id)];
}

std::size_t Conversation::IndexOf(ParticipantId id) const {
    const auto found = std::find_if(m_participants.begin(), m_participants.end(),
                                    [id](const Participant& p) { return p.m_id == id; });
    if (found == m_participants.end()) throw std::out_of_range("no participant with that id");
    return static_cast<std::size_t>(found - m_participants.begin());
}

std::vector<bool> Conversation::WhoCanSpeak() const {
    std::vector<bool> can;
    for (const Participant& participant : m_participants) can.push_back(participant.CanSpeak());
    return can;
}

bool Conversation::PickNext(std::optional<std::size_t> last) {
    const std::vector<bool> can = WhoCanSpeak();
    if (std::count(can.begin(), can.end(), true) < 2) return false;
    if (const std::optional<std::size_t> chosen = std::exchange(m_chosenNext, std::nullopt);
        chosen && can[*chosen] && chosen != last) {
        m_next = *chosen;
        return true;
    }
    if (!last) {
        // The first turn goes to the first who may speak, whatever the order.
        m_next = static_cast<std::size_t>(std::find(can.begin(), can.end(), true) - can.begin());
        return true;
    }
    const std::optional<std::size_t> next =
        m_speakers->Next(SpeakerPool{m_participants, can, *last, m_lastMessage});
    if (!next) return false;
    m_next = *next;
    return true;
}

SchedulerAction Conversation::OnExchangeDone(ParticipantId speaker, const ExchangeResult& result) {
    // A cancelled exchange changes nothing: the bot never said anything.
    // Nor does one a human interrupted or quit, even when its reply beat the stop.
    if (!m_scheduler.WillRecordTurn() || result.m_outcome.m_end == ExchangeEnd::kCancelled ||
        std::exchange(m_interrupted, false) || m_end) {
        // The bot said nothing; the lines said meanwhile were said, and are
        // in the record before a save is offered.
        if (!m_end && !m_waitingLines.empty()) {
            SayWaitingLines();
            PickNext(m_lastSpeaker);
        }
        return m_scheduler.OnTurnFinished().m_next;
    }
    const std::size_t index = IndexOf(speaker);
    Turn& turn = m_turns.emplace_back(Turn{static_cast<long long>(m_turns.size()) + 1, speaker,
                                           result.m_reply, result.m_outcome});
    Participant& said = m_participants[index];
    said.m_stats.Record(result.m_outcome, static_cast<int>(turn.m_number));
    Quarantine(said, turn);
    m_lastMessage = result.m_reply;
    for (ConversationObserver* observer : m_observers) observer->TurnRecorded(*this, turn);
    // The output is kept with the speaker's last failure only.
    turn.m_outcome.m_outputTail = std::string();
    m_lastSpeaker = index;
    ++m_botTurns;
    std::optional<ConversationEnd> end = RuleAfterTurn(result);
    if (end && end->m_reason == EndReason::kTurns) m_turnsUp = true;
    // Lines a human said meanwhile follow the bot's, the last handed on;
    // the next bot then answers the human, so the bot that just spoke may.
    SayWaitingLines();
    if (!PickNext(m_lastSpeaker) && !end)
        end = {EndReason::kNoSpeakers, "fewer than two bots can speak", ""};
    // Told to the scheduler while the turn is still in flight, so that a
    // turn already due does not start.
    if (end) Stop(*end);
    return m_scheduler.OnTurnFinished().m_next;
}

bool Conversation::Keep(Turn turn) {
    const std::size_t index = IndexOf(turn.m_speaker);
    Participant& said = m_participants[index];
    const bool bot = said.m_kind == ParticipantKind::kBot;
    if (bot) said.m_stats.Record(turn.m_outcome, static_cast<int>(turn.m_number));
    m_lastMessage = turn.m_text;
    m_lastSpeaker = index;
    m_turns.push_back(std::move(turn));
    return bot;
}

void Conversation::Replay(const Turn& turn) {
    Keep(turn);
    for (ConversationObserver* observer : m_observers)
        observer->TurnRecorded(*this, m_turns.back());
    // As a turn that ran: the output is kept with the speaker's last failure only.
    m_turns.back().m_outcome.m_outputTail = std::string();
}

void Conversation::CatchUp(const Turn& turn, bool choose_next) {
    Turn kept = turn;
    kept.m_number = static_cast<long long>(m_turns.size()) + 1;
    kept.m_quarantined = 0;
    if (Keep(std::move(kept))) Quarantine(m_participants[*m_lastSpeaker], m_turns.back());
    if (choose_next) PickNext(m_lastSpeaker);
}

void Conversation::Quarantine(Participant& speaker, Turn& turn) {
    // Each turn counts down those sitting out.
    for (Participant& other : m_participants) {
        if (&other != &speaker && other.m_sitOut > 0) --other.m_sitOut;
    }
    if (turn.m_outcome.Answered()) {
        speaker.m_failsInRow = 0;
        return;
    }
    if (!m_rules.m_quarantine || ++speaker.m_failsInRow < *m_rules.m_quarantine) return;
    // Each time again it sits out twice as long.
    speaker.m_sitOut = *m_rules.m_quarantine << std::min(speaker.m_quarantines, 20);
    ++speaker.m_quarantines;
    speaker.m_failsInRow = 0;
    turn.m_quarantined = speaker.m_sitOut;
}

std::optional<ConversationEnd> Conversation::TurnsUp() const {
    if (!m_rules.m_turns || m_turnsUp || m_botTurns < *m_rules.m_turns) return std::nullopt;
    const long long turns = *m_rules.m_turns;
    return ConversationEnd{
        EndReason::kTurns,
        std::to_string(turns) + (turns == 1 ? " turn was asked for" : " turns were asked for"), ""};
}

std::optional<ConversationEnd> Conversation::RuleAfterTurn(const ExchangeResult& result) const {
    const Turn& turn = m_turns.back();
    if (std::optional<ConversationEnd> turns = TurnsUp()) return turns;
    if (m_rules.m_stopOn && m_rules.m_stopOn->FoundIn(result.m_reply.Str())) {
        return ConversationEnd{EndReason::kStopOn,
                               Get(turn.m_speaker).m_name.Str() +
                                   "'s reply matched the stop pattern " + m_rules.m_stopOn->Text(),
                               result.m_reply.Str()};
    }
    if (m_rules.m_loop) {
        if (const std::optional<LoopFound> loop = FindLoop(m_turns, *m_rules.m_loop)) {
            std::string names;
            for (std::size_t i = 0; i < loop->m_speakers.size(); ++i) {
                names += (i == 0                             ? ""
                          : i + 1 == loop->m_speakers.size() ? " and "
                                                             : ", ") +
                         Get(loop->m_speakers[i]).m_name.Str();
            }
            return ConversationEnd{
                EndReason::kLoop,
                names + (loop->m_speakers.size() == 1 ? " repeats itself" : " repeat themselves"),
                loop->m_line};
        }
    }
    return std::nullopt;
}

SchedulerAction Conversation::Stop(ConversationEnd end) {
    m_stoppedBy = std::move(end);
    if (m_rules.m_pauseInstead) {
        m_scheduler.OnPause();
        return SchedulerAction::kNothing;
    }
    return m_scheduler.OnExit();
}

void Conversation::SetSpeakingOrder(std::shared_ptr<SpeakerPolicy> speakers) {
    m_speakers = std::move(speakers);
}

void Conversation::SetRules(StopRules rules) {
    m_rules = std::move(rules);
    m_timeUp = false;
    m_turnsUp = false;
}

std::vector<ParticipantId> Conversation::BotsNamed(const std::string& name) const {
    const CPlainString wanted = CPlainString(name).Upper();
    std::vector<ParticipantId> bots;
    for (const Participant& p : m_participants) {
        if (p.m_kind == ParticipantKind::kBot && !p.m_removed && p.m_name.Upper() == wanted) {
            bots.push_back(p.m_id);
        }
    }
    return bots;
}

std::string Conversation::SetMuted(ParticipantId id, bool muted) {
    const std::size_t index = IndexOf(id);
    if (m_participants[index].m_kind != ParticipantKind::kBot)
        return Name(index) + " is not a bot.";
    Participant& participant = m_participants[index];
    if (muted && !participant.m_muted && UnmutedBots() <= kMinBots) {
        return "At least two bots must stay unmuted, so " + Name(index) + " cannot be muted.";
    }
    participant.m_muted = muted;
    return "";
}

std::string Conversation::SpeakNext(ParticipantId id) {
    const std::size_t index = IndexOf(id);
    if (m_participants[index].m_kind != ParticipantKind::kBot)
        return Name(index) + " is not a bot.";
    const Participant& participant = m_participants[index];
    if (participant.m_removed) return Name(index) + " has left the conversation.";
    if (participant.m_muted) return Name(index) + " is muted.";
    if (!participant.CanSpeak()) return Name(index) + " sits out after failing.";
    if (m_scheduler.IsTurnInFlight()) {
        if (index == m_next) return Name(index) + " is speaking now.";
    } else {
        if (m_lastSpeaker == index) {
            return Name(index) + " has just spoken, and no one speaks twice in a row.";
        }
        m_next = index;
    }
    // Kept for the next choice too: a human's line before the turn chooses again.
    m_chosenNext = index;
    return "";
}

void Conversation::SetTalkativeness(ParticipantId id, int talkativeness) {
    m_participants[IndexOf(id)].m_talkativeness = std::clamp(talkativeness, 0, kMaxTalkativeness);
}

ParticipantId Conversation::NextId() const {
    return m_participants.empty() ? 0 : m_participants.back().m_id + 1;
}

std::optional<int> Conversation::FreeColour(bool bots_only) const {
    std::vector<bool> used(kMaxBots, false);
    for (const Participant& present : m_participants) {
        if (!present.m_removed && (!bots_only || present.m_kind == ParticipantKind::kBot)) {
            used[static_cast<std::size_t>(present.m_colour)] = true;
        }
    }
    const auto free = std::find(used.begin(), used.end(), false);
    if (free == used.end()) return std::nullopt;
    return static_cast<int>(free - used.begin());
}

int Conversation::PresentBots() const {
    return static_cast<int>(std::count_if(
        m_participants.begin(), m_participants.end(),
        [](const Participant& p) { return p.m_kind == ParticipantKind::kBot && !p.m_removed; }));
}

int Conversation::UnmutedBots() const {
    return static_cast<int>(
        std::count_if(m_participants.begin(), m_participants.end(), [](const Participant& p) {
            return p.m_kind == ParticipantKind::kBot && !p.m_removed && !p.m_muted;
        }));
}

std::string Conversation::Add(Participant participant) {
    if (PresentBots() >= kMaxBots) {
        return "A conversation links at most " + std::to_string(kMaxBots) + " bots.";
    }
    participant.m_id = NextId();
    // A colour no one has; with a human in, the fifteenth bot shares the
    // human's, as a human who joins fifteen bots shares a bot's.
    participant.m_colour = FreeColour(false).value_or(FreeColour(true).value_or(0));
    std::string why;
    participant.m_openFolder = BotFolder::Open(participant.m_folder.Str(), why);
    const Participant& added = m_participants.emplace_back(std::move(participant));
    for (ConversationObserver* observer : m_observers) observer->ParticipantAdded(*this, added);
    return "";
}

std::string Conversation::Remove(ParticipantId id) {
    const std::size_t index = IndexOf(id);
    if (m_participants[index].m_kind != ParticipantKind::kBot)
        return Name(index) + " is not a bot.";
    if (m_participants[index].m_removed) return Name(index) + " has already left.";
    if (PresentBots() <= kMinBots) {
        return "At least two bots must stay in the conversation, so " + Name(index) +
               " cannot be removed.";
    }
    // Else the conversation would end at once, as a mute of this bot is refused.
    if (!m_participants[index].m_muted && UnmutedBots() <= kMinBots) {
        return "At least two unmuted bots must stay, so " + Name(index) + " cannot be removed.";
    }
    m_participants[index].m_removed = true;
    for (ConversationObserver* observer : m_observers) {
        observer->ParticipantLeft(*this, m_participants[index]);
    }
    return "";
}

namespace {

// A line typed or given by a person, made fit to be a message: control
// characters (a line break would end the message early) become spaces, and
// it is cut as a reply is.
std::string CleanLine(std::string line) {
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    return CutReply(std::move(line));
}

}  // namespace

const Participant& Conversation::JoinHuman(const CPlainString& name) {
    Participant human;
    human.m_kind = ParticipantKind::kHuman;
    // A name is given as any text; as a line's, it must break no line (of a
    // transcript) and no list (JABBERY_PARTICIPANTS is tab-separated).
    human.m_name = CleanLine(name.Str());
    // One rejoined from a log comes back as they were: a log names a human's
    // lines by name alone, so a second of that name would read back as the first.
    for (const Participant& present : m_participants) {
        if (present.m_kind == ParticipantKind::kHuman && present.m_name == human.m_name)
            return present;
    }
    human.m_id = NextId();
    human.m_colour = FreeColour(true).value_or(0);
    const Participant& joined = m_participants.emplace_back(std::move(human));
    for (ConversationObserver* observer : m_observers) observer->ParticipantAdded(*this, joined);
    return joined;
}

void Conversation::SetOpening(const std::string& line) {
    m_lastMessage = CleanLine(line);
}

SchedulerAction Conversation::Say(ParticipantId id, const std::string& text, bool interrupt) {
    const std::string line = CleanLine(text);
    // Blank (a space pressed before Enter) is nothing to say, as an empty line is.
    if (line.find_first_not_of(' ') == std::string::npos) return SchedulerAction::kNothing;
    if (!m_scheduler.IsTurnInFlight()) {
        RecordHuman(id, line);
        PickNext(m_lastSpeaker);
        return SchedulerAction::kNothing;
    }
    if (!interrupt) {
        m_waitingLines.emplace_back(id, std::move(line));
        return SchedulerAction::kNothing;
    }
    m_interrupted = true;
    SayWaitingLines();
    RecordHuman(id, line);
    PickNext(m_lastSpeaker);
    return SchedulerAction::kCancelTurn;
}

BotProfile Conversation::NextExchange() const {
    BotProfile bot = NextSpeaker().Profile();
    bot.m_environment = m_botEnvironment;
    std::string names;
    for (const Participant& participant : m_participants) {
        if (participant.m_removed) continue;
        if (!names.empty()) names += '\t';
        names += participant.m_name.Str();
    }
    bot.m_environment.push_back("JABBERY_TURN=" + std::to_string(m_turns.size() + 1));
    bot.m_environment.push_back("JABBERY_FROM=" + (m_lastSpeaker ? Name(*m_lastSpeaker) : ""));
    bot.m_environment.push_back("JABBERY_PARTICIPANTS=" + names);
    return bot;
}

void Conversation::SayWaitingLines() {
    for (const auto& [human, text] : std::exchange(m_waitingLines, {})) RecordHuman(human, text);
}

void Conversation::RecordHuman(ParticipantId id, const std::string& text) {
    Turn& turn =
        m_turns.emplace_back(Turn{static_cast<long long>(m_turns.size()) + 1, id, text, {}});
    turn.m_outcome.m_startedAt = std::chrono::system_clock::now();
    m_lastMessage = text;
    m_lastSpeaker = IndexOf(id);
    for (ConversationObserver* observer : m_observers) observer->TurnRecorded(*this, turn);
}

SchedulerAction Conversation::Quit(ParticipantId id) {
    // Always the end, also where the rules' ends only pause; as a stop, it
    // stops the bot in flight, whose turn then adds nothing after the end.
    SayWaitingLines();
    m_stoppedBy = ConversationEnd{EndReason::kQuit, Get(id).m_name.Str() + " said /quit", ""};
    m_end = m_stoppedBy;
    for (ConversationObserver* observer : m_observers) observer->ConversationEnded(*this, *m_end);
    return m_scheduler.OnCancel();
}

void Conversation::Finish(EndReason reason, const std::string& summary) {
    if (m_end) return;
    // Closed during a turn: its bot's reply never comes, the lines said meanwhile were said.
    SayWaitingLines();
    m_end = m_stoppedBy && !m_rules.m_pauseInstead ? *m_stoppedBy
                                                   : ConversationEnd{reason, summary, ""};
    for (ConversationObserver* observer : m_observers) observer->ConversationEnded(*this, *m_end);
}

}  // namespace jabbery
