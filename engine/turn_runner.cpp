// SPDX-License-Identifier: MIT
#include "engine/turn_runner.h"

#include <system_error>
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
    // Shared, so that it is still ours to call should the thread not start.
    const auto report = std::make_shared<Done>(std::move(done));
    try {
        m_worker = std::thread([bot = std::move(bot), message = std::move(message), report, limits,
                                canceller = m_turnCanceller, &runner = m_runner] {
            (*report)(runner.Run(bot, message, limits));
        });
    } catch (const std::system_error& refused) {
        // No thread to be had (a limit on memory or processes): the
        // exchange ends before it began, as one whose bot could not start.
        ExchangeResult result;
        result.m_outcome.m_end = ExchangeEnd::kCouldNotStart;
        result.m_outcome.m_startedAt = std::chrono::system_clock::now();
        result.m_outcome.m_reason = "no thread can be started for it: " + refused.code().message();
        (*report)(std::move(result));
    }
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
