// SPDX-License-Identifier: MIT
#include "engine/record_of.h"

namespace jabbery {

namespace {

// The rules as a log's header keeps them; what only a front-end knows (the
// order's name, the seed, the opening line) stays unset.
ConversationSetUp RulesSetUp(const StopRules& rules) {
    ConversationSetUp set_up;
    set_up.m_turns = rules.m_turns;
    if (rules.m_time) set_up.m_timeMs = rules.m_time->count();
    if (rules.m_stopOn) set_up.m_stopOn = rules.m_stopOn->Text();
    set_up.m_loop = rules.m_loop;
    set_up.m_quarantine = rules.m_quarantine;
    return set_up;
}

}  // namespace

RecordedConversation RecordOf(const Conversation& conversation) {
    RecordedConversation record;
    record.m_setUp = RulesSetUp(conversation.Rules());
    record.m_participants = conversation.Participants();
    // The record is data: it keeps no bot's folder open.
    for (Participant& participant : record.m_participants) participant.m_openFolder = nullptr;
    record.m_introduced = conversation.Introduced();
    record.m_turns = conversation.Turns();
    record.m_end = conversation.Ended();
    return record;
}

}  // namespace jabbery
