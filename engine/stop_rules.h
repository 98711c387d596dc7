// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <memory>
#include <optional>

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

}  // namespace jabbery
