// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "engine/bot_runner.h"
#include "engine/conversation.h"

namespace jabbery {

class RunCanceller;
class WaitingLine;

// How the terminal runner paces its conversation.
struct TurnLoopSettings {
    std::chrono::milliseconds m_interval{kTurnInterval};
    std::chrono::milliseconds m_timeLimit{kBotTimeLimit};
    WaitingLine* m_waitingLine = nullptr;  // says whom a long turn waits for; null: nothing
    // Each tick comes up to this much earlier or later than its beat, drawn
    // from a generator of its own seeded with `m_jitterSeed`.
    std::chrono::milliseconds m_jitter{0};
    unsigned m_jitterSeed = 0;
    // Called every kPollEvery while the loop waits or a bot answers (a
    // human's lines); its answer is done as the conversation's are:
    // kCancelTurn stops the bot in flight, kRunExitSequence ends the loop.
    std::function<SchedulerAction()> m_poll;
};

inline constexpr std::chrono::milliseconds kPollEvery{50};

// Starts the conversation and runs it on the calling thread, each exchange
// through `runner`, until its rules end it or `canceller` fires. Its ticks
// keep the beat of the window's periodic timer: one every interval from the
// start, whatever the turns take. A tick that falls during a turn makes one
// turn due, which starts as soon as that turn ends, and the next tick still
// comes on the beat. A cancel stops the bot in flight at once; that turn
// adds nothing. Returns once the Exit sequence is due (the caller runs it).
void RunTurnLoop(Conversation& conversation, BotRunner& runner, const TurnLoopSettings& settings,
                 const RunCanceller& canceller);

}  // namespace jabbery
