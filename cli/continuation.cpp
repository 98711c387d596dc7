// SPDX-License-Identifier: MIT
#include "cli/continuation.h"

#include <algorithm>

#include "engine/conversation_replay.h"
#include "engine/set_up_record.h"
#include "engine/speaker_policy.h"

namespace jabbery {

Continuation ContinuationOf(Continuation given, const std::optional<ConversationSetUp>& set_up) {
    if (!set_up) return given;
    if (!given.m_seed) given.m_seed = set_up->m_seed;
    if (given.m_order == "random" && MakeSpeakingOrder(set_up->m_order))
        given.m_order = set_up->m_order;
    given.m_rules = ContinuedRules(std::move(given.m_rules), *set_up);
    return given;
}

void GoOnFrom(Conversation& conversation, const RecordedConversation& recorded,
              const Continuation& continuation, const std::optional<std::string>& opening,
              JsonlLog& log) {
    JoinRecorded(conversation, recorded);
    conversation.SetOpening(
        opening.value_or(recorded.m_setUp ? recorded.m_setUp->m_opening : kFirstMessage));
    CatchUpWith(conversation, recorded.m_turns);
    log.BeginContinued(RecordSetUp("jabbery-cli", continuation.m_order, continuation.m_seed,
                                   conversation.LastMessage(), conversation.Rules()),
                       static_cast<long long>(recorded.m_turns.size()), recorded.m_participants);
}

long long BotTurns(const RecordedConversation& recorded) {
    return std::count_if(recorded.m_turns.begin(), recorded.m_turns.end(), [&](const Turn& turn) {
        const Participant* speaker = recorded.Find(turn.m_speaker);
        return speaker != nullptr && speaker->m_kind == ParticipantKind::kBot;
    });
}

}  // namespace jabbery
