// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/bot_runner.h"

namespace jabbery::testing {

// Stands in for the bots' processes: records each exchange it is asked to
// run and answers as `m_answer` says, by default "<name> heard <message>".
class ScriptedRunner final : public BotRunner {
  public:
    struct Exchange {
        std::string m_name;
        std::string m_message;
    };
    std::vector<Exchange> m_exchanges;
    std::function<ExchangeResult(const BotProfile& bot, const CPlainString& message)> m_answer;

    ExchangeResult Run(const BotProfile& bot, const CPlainString& message,
                       const RunLimits&) override {
        m_exchanges.push_back({bot.m_name.Str(), message.Str()});
        if (m_answer) return m_answer(bot, message);
        return ExchangeResult{bot.m_name + " heard " + message, {}};
    }
};

}  // namespace jabbery::testing
