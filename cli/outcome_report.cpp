// SPDX-License-Identifier: MIT
#include "cli/outcome_report.h"

#include <algorithm>
#include <vector>

#include "cli/terminal_filter.h"
#include "engine/outcome_text.h"

namespace jabbery {

namespace {

// The kinds of failure, in the order of their columns.
constexpr ExchangeEnd kFailures[] = {ExchangeEnd::kCouldNotStart, ExchangeEnd::kTimedOut,
                                     ExchangeEnd::kSignalled,     ExchangeEnd::kExited,
                                     ExchangeEnd::kUnusableFile,  ExchangeEnd::kNotRewritten};

std::string Shown(std::string_view text, bool for_terminal) {
    return for_terminal ? ForTerminal(text) : std::string(text);
}

std::string Seconds(std::chrono::milliseconds time) {
    const long long tenths = (time.count() + 50) / 100;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

}  // namespace

std::string TurnWarning(const ConversationState& state, int turn, int bot,
                        const ExchangeOutcome& outcome, bool for_terminal) {
    const auto index = static_cast<std::size_t>(bot);
    std::string text = "jabbery-cli: turn " + std::to_string(turn) + ": " +
                       Shown(state.m_botName[index].Upper().Str(), for_terminal) + " (bot " +
                       std::to_string(bot + 1) + ") " + Shown(OutcomeText(outcome), for_terminal);
    text += outcome.m_end == ExchangeEnd::kUnusableFile
                ? "; an empty line is passed on\n"
                : std::string("; the line passed on is what ") + kMessageFileName + " held\n";
    for (const std::string& line : LastOutputLines(outcome.m_outputTail, 3)) {
        text += "  " + Shown(line, for_terminal) + "\n";
    }
    return text;
}

std::string StatsTable(const ConversationState& state, bool for_terminal) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header = {"bot", "turns", "answered"};
    for (ExchangeEnd end : kFailures) header.emplace_back(OutcomeKey(end));
    header.insert(header.end(), {"median", "slowest"});
    rows.push_back(header);
    for (int bot = 0; bot < state.m_botCount; ++bot) {
        const BotStats& stats = state.m_botStats[static_cast<std::size_t>(bot)];
        std::vector<std::string> row = {Shown(state.m_botName[bot].Str(), for_terminal),
                                        std::to_string(stats.m_turns),
                                        std::to_string(stats.Count(ExchangeEnd::kAnswered))};
        for (ExchangeEnd end : kFailures) row.push_back(std::to_string(stats.Count(end)));
        row.insert(row.end(), {Seconds(stats.Median()), Seconds(stats.Slowest())});
        rows.push_back(row);
    }
    // Each column as wide as its widest cell; names left, numbers right.
    std::vector<std::size_t> widths(header.size(), 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    std::string table;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            const std::string pad(widths[i] - row[i].size(), ' ');
            line += i == 0 ? row[i] + pad : "  " + pad + row[i];
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        table += line + "\n";
    }
    return table;
}

}  // namespace jabbery
