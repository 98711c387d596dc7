// SPDX-License-Identifier: MIT
#include "share/record_summary.h"

#include <chrono>
#include <cstdio>

#include "engine/duration_text.h"
#include "platform/local_time.h"
#include "values/plural.h"

namespace jabbery {

namespace {

// The stop rules that were set, in words, "; " between them.
std::string RulesText(const ConversationSetUp& set_up) {
    std::vector<std::string> rules;
    if (set_up.m_turns) rules.push_back("after " + Plural(*set_up.m_turns, "turn", "turns"));
    if (set_up.m_timeMs)
        rules.push_back("after " + DurationText(std::chrono::milliseconds(*set_up.m_timeMs)));
    if (set_up.m_stopOn) rules.push_back("when a reply matches " + *set_up.m_stopOn);
    if (set_up.m_loop) {
        rules.push_back("when a line comes round " + Plural(*set_up.m_loop, "time", "times"));
    }
    if (set_up.m_quarantine) {
        rules.push_back("a bot that fails " + Plural(*set_up.m_quarantine, "time", "times") +
                        " in a row sits out");
    }
    std::string text;
    for (const std::string& rule : rules) text += (text.empty() ? "" : "; ") + rule;
    return text.empty() ? "none" : text;
}

}  // namespace

std::vector<SummaryFact> SummaryOf(const RecordedConversation& record) {
    std::vector<SummaryFact> facts;
    if (const std::optional<ConversationSetUp>& set_up = record.m_setUp) {
        if (!set_up->m_program.empty()) facts.push_back({"Recorded by", set_up->m_program});
        if (!set_up->m_order.empty()) facts.push_back({"Speaking order", set_up->m_order});
        if (set_up->m_seed) facts.push_back({"Seed", std::to_string(*set_up->m_seed)});
        if (!set_up->m_opening.empty()) facts.push_back({"Opening line", set_up->m_opening});
        facts.push_back({"Stop rules", RulesText(*set_up)});
    }
    facts.push_back({"Turns", std::to_string(record.m_turns.size())});
    if (const std::optional<ConversationEnd>& end = record.m_end) {
        facts.push_back({"Ended", end->m_summary.empty() ? EndKey(end->m_reason) : end->Detail()});
    } else {
        facts.push_back({"Ended", "not yet (no end was recorded)"});
    }
    return facts;
}

std::string ParticipantNote(const Participant& participant) {
    std::string note = participant.m_kind == ParticipantKind::kHuman
                           ? "human"
                           : "bot in " + participant.m_folder.Str();
    if (participant.m_removed) note += ", left the conversation";
    return note;
}

std::string TurnTime(const Turn& turn) {
    const std::time_t when = std::chrono::system_clock::to_time_t(turn.m_outcome.m_startedAt);
    std::tm local{};
    if (!ToLocalTime(when, local)) return "";
    char text[80];  // room for any int the fields could hold
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

}  // namespace jabbery
