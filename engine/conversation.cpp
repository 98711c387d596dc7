// SPDX-License-Identifier: MIT
#include "engine/conversation.h"

#include <algorithm>
#include <stdexcept>

#include "values/conversation_facts.h"

namespace jabbery {

Conversation::Conversation(std::shared_ptr<SpeakerPolicy> speakers)
    : m_speakers(std::move(speakers)) {}

void Conversation::AddObserver(ConversationObserver& observer) {
    m_observers.push_back(&observer);
}

const Participant& Conversation::Join(Participant participant) {
    participant.m_id =
        m_participants.empty() ? 0 : m_participants.back().m_id + 1;
    // Colours go round the transcript's table in the order of joining.
    participant.m_colour = static_cast<int>(m_participants.size() % kMaxBots);
    const Participant& joined = m_participants.emplace_back(std::move(participant));
    for (ConversationObserver* observer : m_observers) observer->ParticipantJoined(*this, joined);
    return joined;
}

void Conversation::Start() {
    for (Participant& participant : m_participants) {
        // Once, before the first exchange: what later takes a folder's name is never used.
        std::string why;
        participant.m_openFolder = BotFolder::Open(participant.m_folder.Str(), why);
    }
    m_next = 0;
    m_scheduler.Start();
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

SchedulerAction Conversation::OnExchangeDone(ParticipantId speaker, const ExchangeResult& result) {
    const TurnFollowUp follow_up = m_scheduler.OnTurnFinished();
    // A cancelled exchange changes nothing: the bot never said anything.
    if (!follow_up.m_record || result.m_outcome.m_end == ExchangeEnd::kCancelled) {
        return follow_up.m_next;
    }
    const std::size_t index = IndexOf(speaker);
    Turn& turn = m_turns.emplace_back(Turn{static_cast<long long>(m_turns.size()) + 1, speaker,
                                           result.m_reply, result.m_outcome});
    m_participants[index].m_stats.Record(result.m_outcome, static_cast<int>(turn.m_number));
    m_lastMessage = result.m_reply;
    for (ConversationObserver* observer : m_observers) observer->TurnRecorded(*this, turn);
    // The output is kept with the speaker's last failure only.
    turn.m_outcome.m_outputTail = std::string();
    // With fewer than two speakers no other can follow, and the policy's
    // draw would never end: such a conversation never starts, and this
    // guard keeps it so.
    const int count = static_cast<int>(m_participants.size());
    if (count >= 2) {
        m_next = static_cast<std::size_t>(m_speakers->Next(static_cast<int>(index), count));
    }
    return follow_up.m_next;
}

}  // namespace jabbery
