// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "engine/bot_runner.h"
#include "platform/run_hidden.h"

namespace jabbery {

// Runs one bot exchange at a time on a worker thread, so the window keeps
// answering while a bot thinks for up to its time limit. The conversation
// state never crosses threads: the worker gets copies of what the exchange
// needs and hands back only the reply and how the exchange ended.
class TurnRunner {
  public:
    // Called on the worker thread with the bot's reply and its outcome (at
    // once, as could not start, when no worker thread can be started).
    using Done = std::function<void(ExchangeResult result)>;

    // Exchanges run through `runner`, which must outlive this.
    TurnRunner(BotRunner& runner, std::chrono::milliseconds limit);
    ~TurnRunner();  // Stop()
    TurnRunner(const TurnRunner&) = delete;
    TurnRunner& operator=(const TurnRunner&) = delete;

    // Starts the runner's exchange of `message` with `bot` on the worker. The caller starts one
    // exchange at a time: the previous one's `done` has already run.
    void Start(BotProfile bot, CPlainString message, Done done);

    // Stops a running bot with its whole process group at once and waits
    // for the worker; an exchange started afterwards ends at once too.
    // A stopped exchange still reports to `done`, as cancelled.
    void Stop();

    // Stops the running bot with its whole process group at once, without
    // waiting; the exchange reports to `done` as cancelled, and later
    // exchanges run as usual.
    void StopTurn();

  private:
    BotRunner& m_runner;
    std::chrono::milliseconds m_limit;
    bool m_stopped = false;
    std::shared_ptr<RunCanceller> m_turnCanceller;  // the latest exchange's
    std::thread m_worker;
};

}  // namespace jabbery
