// SPDX-License-Identifier: MIT
#include "engine/turn_runner.h"

#include <utility>

namespace jabbery {

TurnRunner::TurnRunner(BotRunner& runner, std::chrono::milliseconds limit)
    : m_runner(runner), m_limit(limit) {}

TurnRunner::~TurnRunner() {
    Stop();
}

void TurnRunner::Start(BotProfile bot, CPlainString message, Done done) {
    // The previous worker has delivered its reply and is at most returning
    // from its last statement, so this join is immediate.
    if (m_worker.joinable()) m_worker.join();
    // Each exchange has a canceller of its own, so that stopping one turn
    // leaves the next free to run; after Stop, none runs.
    m_turnCanceller = std::make_shared<RunCanceller>();
    if (m_stopped) m_turnCanceller->Cancel();
    const RunLimits limits{m_limit, m_turnCanceller.get()};
    m_worker = std::thread([bot = std::move(bot), message = std::move(message),
                            done = std::move(done), limits, canceller = m_turnCanceller,
                            &runner = m_runner] { done(runner.Run(bot, message, limits)); });
}

void TurnRunner::StopTurn() {
    if (m_turnCanceller != nullptr) m_turnCanceller->Cancel();
}

void TurnRunner::Stop() {
    m_stopped = true;
    // Cancel first: the join would otherwise wait out the bot's time limit.
    StopTurn();
    if (m_worker.joinable()) m_worker.join();
}

}  // namespace jabbery
