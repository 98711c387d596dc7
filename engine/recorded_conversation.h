// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/conversation_end.h"
#include "engine/participant.h"
#include "engine/turn.h"

namespace jabbery {

// How a conversation was set up, as its log's header records it.
struct ConversationSetUp {
    int m_format = 1;       // the log format's version
    std::string m_program;  // the program and version that wrote it: "jabbery-cli 1.4.0"
    std::string m_id;       // the conversation's id, as every record names it
    std::string m_order;    // the speaking order's key: "random", "list", ...
    std::optional<unsigned> m_seed;
    std::string m_opening;  // the line the first bot was handed
    // The stop rules that were set; each absent when off.
    std::optional<long long> m_turns;
    std::optional<long long> m_timeMs;
    std::optional<std::string> m_stopOn;
    std::optional<int> m_loop;
    std::optional<int> m_quarantine;
};

// A conversation read back from its log: who took part (the human too,
// with its own id), every recorded turn with its outcome, and why it
// ended. What replay, continue and the exports work from.
struct RecordedConversation {
    std::optional<ConversationSetUp> m_setUp;  // absent in logs without a header
    std::vector<Participant> m_participants;   // in the order they joined
    // Those whose introduction (their folder) heads the transcripts: the
    // bots set up before the first turn, in the order they joined. Bots
    // added later and humans have none.
    std::vector<ParticipantId> m_introduced;
    std::vector<Turn> m_turns;             // in the order they were said
    std::optional<ConversationEnd> m_end;  // the last end record, when there is one

    // The participant with `id`, or null.
    const Participant* Find(ParticipantId id) const {
        for (const Participant& participant : m_participants) {
            if (participant.m_id == id) return &participant;
        }
        return nullptr;
    }
};

}  // namespace jabbery
