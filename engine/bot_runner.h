// SPDX-License-Identifier: MIT
#pragma once

#include "engine/exchange.h"

namespace jabbery {

// Runs one exchange with a bot. The conversation's front-ends run bots
// through this, so that a scripted runner can stand in for real processes.
class BotRunner {
  public:
    virtual ~BotRunner() = default;

    // Hands `message` to `bot` and returns its reply and how it went. May
    // be called on a worker thread, one exchange at a time.
    virtual ExchangeResult Run(const BotProfile& bot, const CPlainString& message,
                               const RunLimits& limits) = 0;
};

// Runs each bot as the process its descriptor names (InvokeBot).
class ProcessBotRunner final : public BotRunner {
  public:
    ExchangeResult Run(const BotProfile& bot, const CPlainString& message,
                       const RunLimits& limits) override {
        return InvokeBot(bot, message, limits);
    }
};

}  // namespace jabbery
