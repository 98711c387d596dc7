// SPDX-License-Identifier: MIT
#include "engine/outcome_text.h"

#include "platform/signal_name.h"

namespace jabbery {

std::string OutcomeText(const ExchangeOutcome& outcome) {
    switch (outcome.m_end) {
        case ExchangeEnd::kCouldNotStart:
            return "could not be started: " + outcome.m_reason;
        case ExchangeEnd::kCancelled:
            return "was cancelled";
        case ExchangeEnd::kTimedOut: {
            const auto seconds = (outcome.m_elapsed.count() + 500) / 1000;
            return "timed out after " + std::to_string(seconds) + " s";
        }
        case ExchangeEnd::kSignalled:
            return "was killed by signal " + SignalName(outcome.m_code);
        case ExchangeEnd::kExited:
            return "exited with code " + std::to_string(outcome.m_code);
        case ExchangeEnd::kUnusableFile:
            return "message file unusable: " + outcome.m_reason;
        case ExchangeEnd::kNotRewritten:
            return std::string("did not rewrite ") + kMessageFileName;
        case ExchangeEnd::kAnswered:
            break;
    }
    return "answered";
}

std::string_view OutcomeKey(ExchangeEnd end) {
    switch (end) {
        case ExchangeEnd::kCouldNotStart:
            return "failed-to-start";
        case ExchangeEnd::kCancelled:
            return "cancelled";
        case ExchangeEnd::kTimedOut:
            return "timed-out";
        case ExchangeEnd::kSignalled:
            return "signalled";
        case ExchangeEnd::kExited:
            return "exited";
        case ExchangeEnd::kUnusableFile:
            return "unusable-file";
        case ExchangeEnd::kNotRewritten:
            return "not-rewritten";
        case ExchangeEnd::kAnswered:
            break;
    }
    return "answered";
}

std::vector<std::string> LastOutputLines(const std::string& output, std::size_t count) {
    std::vector<std::string> lines;
    std::size_t end = output.size();
    while (end > 0 && lines.size() < count) {
        const std::size_t newline = output.rfind('\n', end - 1);
        const std::size_t start = newline == std::string::npos ? 0 : newline + 1;
        std::string line = output.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) lines.insert(lines.begin(), std::move(line));
        if (newline == std::string::npos) break;
        end = newline;
    }
    return lines;
}

}  // namespace jabbery
