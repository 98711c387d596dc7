// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "engine/recorded_conversation.h"

namespace jabbery {

// One fact of an export's heading, in words: {"Stop rules", "after 40 turns"}.
struct SummaryFact {
    std::string m_label;
    std::string m_value;
};

// What a record says about its conversation, for a heading: the program
// that recorded it, the speaking order, the seed and opening line when
// known, the stop rules, how many turns, and why it ended. Raw text: the
// caller makes it fit its format.
std::vector<SummaryFact> SummaryOf(const RecordedConversation& record);

// What a participant is, after its name: "bot in /bots/hask/", "human",
// and ", left the conversation" for one who did.
std::string ParticipantNote(const Participant& participant);

// When a turn began, in local time: "2026-12-07 14:03:12".
std::string TurnTime(const Turn& turn);

}  // namespace jabbery
