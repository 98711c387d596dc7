// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "engine/bot_runner.h"

namespace jabbery::testing {

// Stands in for the bots' processes: answers as `m_answer` says, by default
// "<name> heard <message>".
class ScriptedRunner final : public BotRunner {
  public:
    std::function<ExchangeResult(const BotProfile& bot, const CPlainString& message)> m_answer;

    ExchangeResult Run(const BotProfile& bot, const CPlainString& message,
                       const RunLimits&) override {
        if (m_answer) return m_answer(bot, message);
        return ExchangeResult{bot.m_name + " heard " + message, {}};
    }
};

}  // namespace jabbery::testing
