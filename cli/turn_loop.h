// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "engine/conversation.h"

namespace jabbery {

class RunCanceller;

// How the terminal runner paces its conversation.
struct TurnLoopSettings {
    std::chrono::milliseconds m_interval{kTurnInterval};
    std::chrono::milliseconds m_timeLimit{kBotTimeLimit};
    std::optional<long long> m_turns;  // none: until cancelled
};

// Called after each turn that joined the conversation, with its speaker and
// how its exchange went.
using TurnRecorded = std::function<void(int speaker, const ExchangeOutcome& outcome)>;

// Runs a started conversation on the calling thread until the turn count is
// reached or `canceller` fires, as the window would: the interval's ticks
// and the turns go through a TurnScheduler, which decides when each turn
// starts. A cancel stops the bot in flight at once; that turn adds nothing.
// Returns once the Exit sequence is due (the caller runs it).
void RunTurnLoop(ConversationState& state, DocumentView& view, const TurnLoopSettings& settings,
                 const RunCanceller& canceller, const TurnRecorded& recorded);

}  // namespace jabbery
