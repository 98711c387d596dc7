// SPDX-License-Identifier: MIT
#include "cli/outcome_report.h"

#include <algorithm>
#include <vector>

#include "engine/bot_table.h"
#include "engine/outcome_text.h"
#include "platform/terminal_filter.h"

namespace jabbery {

namespace {

// The kinds of failure, in the order of their columns.
constexpr ExchangeEnd kFailures[] = {ExchangeEnd::kCouldNotStart, ExchangeEnd::kTimedOut,
                                     ExchangeEnd::kSignalled,     ExchangeEnd::kExited,
                                     ExchangeEnd::kUnusableFile,  ExchangeEnd::kNotRewritten};

}  // namespace

std::string StatsTable(const std::vector<Participant>& bots, bool for_terminal) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header = {"Name"};
    for (std::string& heading : BotStatsHeadings()) header.push_back(std::move(heading));
    for (ExchangeEnd end : kFailures) header.emplace_back(OutcomeKey(end));
    rows.push_back(header);
    for (const Participant& bot : bots) {
        std::vector<std::string> row = {ShownOn(bot.m_name.Str(), for_terminal)};
        for (std::string& cell : BotStatsCells(bot.m_stats)) row.push_back(std::move(cell));
        for (ExchangeEnd end : kFailures) row.push_back(std::to_string(bot.m_stats.Count(end)));
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
