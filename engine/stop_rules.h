// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "engine/stop_pattern.h"

namespace jabbery {

// When a conversation stops by itself. Every rule is off unless set.
struct StopRules {
    std::optional<long long> m_turns;                 // after this many turns
    std::optional<std::chrono::milliseconds> m_time;  // once this long has passed
    std::shared_ptr<const StopPattern> m_stopOn;      // after a reply it is found in
    std::optional<int> m_loop;        // when a line comes round this often (FindLoop)
    std::optional<int> m_quarantine;  // a bot failing this often in a row sits out

    // The terminal ends the conversation when a rule fires; the window
    // pauses it, and Resume goes on.
    bool m_pauseInstead = false;
};

// The stop rules a set-up asks for: a conversation file's or the command
// line's, anything with these five optional fields, its pattern checked
// when it was read. Each rule left out is off.
template <typename SetUp>
StopRules StopRulesOf(const SetUp& set_up) {
    StopRules rules;
    rules.m_turns = set_up.m_turns;
    rules.m_time = set_up.m_for;
    if (set_up.m_stopOn) {
        std::string unused;  // it compiled when it was read
        rules.m_stopOn = StopPattern::Compile(*set_up.m_stopOn, unused);
    }
    rules.m_loop = set_up.m_loop;
    rules.m_quarantine = set_up.m_quarantine;
    return rules;
}

}  // namespace jabbery
