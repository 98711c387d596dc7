// SPDX-License-Identifier: MIT
#include "engine/set_up_record.h"

#include "values/product.h"

namespace jabbery {

ConversationSetUp RulesSetUp(const StopRules& rules) {
    ConversationSetUp set_up;
    set_up.m_turns = rules.m_turns;
    if (rules.m_time) set_up.m_timeMs = rules.m_time->count();
    if (rules.m_stopOn) set_up.m_stopOn = rules.m_stopOn->Text();
    set_up.m_loop = rules.m_loop;
    set_up.m_quarantine = rules.m_quarantine;
    return set_up;
}

ConversationSetUp RecordSetUp(const std::string& program, std::string order,
                              std::optional<unsigned> seed, const CPlainString& opening,
                              const StopRules& rules) {
    ConversationSetUp set_up = RulesSetUp(rules);
    set_up.m_program = program + " " + kVersion;
    set_up.m_order = std::move(order);
    set_up.m_seed = seed;
    set_up.m_opening = opening.Str();
    return set_up;
}

StopRules ContinuedRules(StopRules given, const ConversationSetUp& set_up) {
    std::string unused;  // a pattern that no longer compiles is left out
    if (!given.m_stopOn && set_up.m_stopOn)
        given.m_stopOn = StopPattern::Compile(*set_up.m_stopOn, unused);
    if (!given.m_loop) given.m_loop = set_up.m_loop;
    if (!given.m_quarantine) given.m_quarantine = set_up.m_quarantine;
    return given;
}

}  // namespace jabbery
