// SPDX-License-Identifier: MIT
#include "engine/record_of.h"

#include "engine/set_up_record.h"

namespace jabbery {

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
