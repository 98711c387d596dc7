// SPDX-License-Identifier: MIT
#include "engine/turn_runner.h"

#include <utility>

namespace jabbery {

TurnRunner::TurnRunner(std::chrono::milliseconds limit) : m_limit(limit) {}

TurnRunner::~TurnRunner() {
    Stop();
}

void TurnRunner::Start(BotProfile bot, CPlainString message, Done done) {
    // The previous worker has delivered its reply and is at most returning
    // from its last statement, so this join is immediate.
    if (m_worker.joinable()) m_worker.join();
    const RunLimits limits{m_limit, &m_canceller};
    m_worker =
        std::thread([bot = std::move(bot), message = std::move(message), done = std::move(done),
                     limits] { done(InvokeBot(bot, message, limits)); });
}

void TurnRunner::Stop() {
    // Cancel first: the join would otherwise wait out the bot's time limit.
    m_canceller.Cancel();
    if (m_worker.joinable()) m_worker.join();
}

}  // namespace jabbery
