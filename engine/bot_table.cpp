// SPDX-License-Identifier: MIT
#include "engine/bot_table.h"

#include <cstdio>

#include "engine/outcome_text.h"

namespace jabbery {
namespace {

// The failures in the order the table shows them, with their headings.
constexpr struct {
    ExchangeEnd m_end;
    const char* m_heading;
} kFailureColumns[] = {
    {ExchangeEnd::kTimedOut, "Timed out"},        {ExchangeEnd::kExited, "Exited"},
    {ExchangeEnd::kSignalled, "Killed"},          {ExchangeEnd::kNotRewritten, "No answer"},
    {ExchangeEnd::kCouldNotStart, "Not started"}, {ExchangeEnd::kUnusableFile, "File unusable"},
};

}  // namespace

std::vector<std::string> BotTableHeadings() {
    std::vector<std::string> headings = {"Bot", "Name", "Folder", "Turns", "Answered"};
    for (const auto& column : kFailureColumns) headings.push_back(column.m_heading);
    for (const char* heading : {"Median", "Slowest", "Last failure"}) headings.push_back(heading);
    return headings;
}

std::vector<std::string> BotTableRow(const ConversationState& state, int bot) {
    const BotStats& stats = state.m_botStats[static_cast<std::size_t>(bot)];
    std::vector<std::string> row = {
        std::to_string(bot + 1), state.m_botName[static_cast<std::size_t>(bot)].Str(),
        state.m_botFolder[static_cast<std::size_t>(bot)].Str(), std::to_string(stats.m_turns),
        std::to_string(stats.Count(ExchangeEnd::kAnswered))};
    for (const auto& column : kFailureColumns)
        row.push_back(std::to_string(stats.Count(column.m_end)));
    const bool timed = stats.m_turns > 0;
    row.push_back(timed ? SecondsText(stats.Median()) : "");
    row.push_back(timed ? SecondsText(stats.Slowest()) : "");
    row.push_back(stats.m_lastFailure ? "turn " + std::to_string(stats.m_lastFailureTurn) + ": " +
                                            OutcomeText(*stats.m_lastFailure)
                                      : "");
    return row;
}

std::string LastFailureText(const ConversationState& state, int bot, std::size_t tail_lines) {
    const BotStats& stats = state.m_botStats[static_cast<std::size_t>(bot)];
    if (!stats.m_lastFailure) return std::string();
    std::string text = "Turn " + std::to_string(stats.m_lastFailureTurn) + ": " +
                       state.m_botName[static_cast<std::size_t>(bot)].Str() + " " +
                       OutcomeText(*stats.m_lastFailure);
    const std::vector<std::string> lines =
        LastOutputLines(stats.m_lastFailure->m_outputTail, tail_lines);
    if (!lines.empty()) text += "\nIts last output:";
    for (const std::string& line : lines) text += "\n  " + line;
    return text;
}

std::string SecondsText(std::chrono::milliseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(duration.count()) / 1000.0);
    return text;
}

}  // namespace jabbery
