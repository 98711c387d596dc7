// SPDX-License-Identifier: MIT
#include "cli/try_bot.h"

#include <algorithm>

#include "cli/terminal_filter.h"
#include "engine/exchange.h"
#include "engine/outcome_text.h"
#include "engine/roster.h"

namespace jabbery {

int TryBot(const std::string& folder, const std::string& message,
           std::chrono::milliseconds time_limit, std::FILE* out, bool for_terminal) {
    BotRoster roster;
    if (!ReadDescriptor(roster, 0, folder)) {
        std::fprintf(stderr, "jabbery-cli: %s: no %s in this folder; it is not a bot's folder\n",
                     folder.c_str(), kDescriptorName);
        return 2;
    }
    const BotProfile bot{roster.m_botFolder[0], roster.m_botName[0], roster.m_botCommand[0]};
    const ExchangeResult result = InvokeBot(bot, message, RunLimits{time_limit, nullptr});
    const auto shown = [&](const std::string& text) {
        return for_terminal ? ForTerminal(text) : text;
    };
    std::string report = "reply:   " + shown(result.m_reply.Str()) + "\n" +
                         "outcome: " + shown(OutcomeText(result.m_outcome)) + "\n" +
                         "time:    " + std::to_string(result.m_outcome.m_elapsed.count()) + " ms\n";
    const std::string& tail = result.m_outcome.m_outputTail;
    report += tail.empty() ? "output:  (none)\n" : "output:\n";
    // All of the kept output, line by line, each filtered on its own.
    for (std::size_t start = 0; start < tail.size();) {
        const std::size_t end = std::min(tail.find('\n', start), tail.size());
        report += "  " + shown(tail.substr(start, end - start)) + "\n";
        start = end + 1;
    }
    std::fwrite(report.data(), 1, report.size(), out);
    return result.m_outcome.Answered() ? 0 : 1;
}

}  // namespace jabbery
