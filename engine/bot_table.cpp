// SPDX-License-Identifier: MIT
#include "engine/bot_table.h"

#include <cstdio>

#include "engine/outcome_text.h"
#include "values/plural.h"

namespace jabbery {
namespace {

// The kinds of failure, in the order the details list them, in words.
constexpr struct {
    ExchangeEnd m_end;
    const char* m_words;
} kFailureKinds[] = {
    {ExchangeEnd::kTimedOut, "timed out"},
    {ExchangeEnd::kExited, "exited"},
    {ExchangeEnd::kSignalled, "killed by a signal"},
    {ExchangeEnd::kNotRewritten, "left the message file as it was"},
    {ExchangeEnd::kCouldNotStart, "could not be started"},
    {ExchangeEnd::kUnusableFile, "message file unusable"},
};

// "sits out 4 more turns" after `separator` while the bot is in quarantine, else nothing.
std::string SittingOut(const Participant& bot, const char* separator) {
    if (bot.m_sitOut == 0) return "";
    return separator + std::string("sits out ") + Plural(bot.m_sitOut, "more turn", "more turns");
}

int Failures(const BotStats& stats) {
    return stats.m_turns - stats.Count(ExchangeEnd::kAnswered);
}

}  // namespace

std::vector<std::string> BotStatsHeadings() {
    return {"Turns", "Answered", "Failures", "Median", "Slowest"};
}

std::vector<std::string> BotStatsCells(const BotStats& stats) {
    const bool timed = stats.m_turns > 0;
    return {std::to_string(stats.m_turns), std::to_string(stats.Count(ExchangeEnd::kAnswered)),
            std::to_string(Failures(stats)), timed ? SecondsText(stats.Median()) : "",
            timed ? SecondsText(stats.Slowest()) : ""};
}

std::vector<std::string> BotTableHeadings() {
    std::vector<std::string> headings = {"Bot", "Name"};
    for (std::string& heading : BotStatsHeadings()) headings.push_back(std::move(heading));
    headings.insert(headings.end(), {"Talkativeness", "Last failure", "Folder"});
    return headings;
}

std::vector<std::string> BotTableRow(const Participant& bot) {
    // A person's lines are not a bot's turns: none of the figures count them.
    if (bot.m_kind == ParticipantKind::kHuman) {
        std::vector<std::string> row(BotTableHeadings().size());
        row[1] = bot.m_name.Str();
        return row;
    }
    const BotStats& stats = bot.m_stats;
    std::vector<std::string> row = {std::to_string(bot.m_id + 1), bot.m_name.Str()};
    for (std::string& cell : BotStatsCells(stats)) row.push_back(std::move(cell));
    row.push_back(std::to_string(bot.m_talkativeness));
    row.push_back((stats.m_lastFailure ? "turn " + std::to_string(stats.m_lastFailureTurn) + ": " +
                                             OutcomeText(*stats.m_lastFailure)
                                       : "") +
                  SittingOut(bot, "; "));
    row.push_back(bot.m_folder.Str());
    return row;
}

std::string BotDetailsText(const Participant& bot, std::size_t tail_lines) {
    const BotStats& stats = bot.m_stats;
    const std::string& name = bot.m_name.Str();
    if (bot.m_kind == ParticipantKind::kHuman)
        return name + " takes part as a person, not a bot: the figures here are the bots'.";
    std::string text =
        "Bot " + std::to_string(bot.m_id + 1) + ", " + name + ", from " + bot.m_folder.Str() + "\n";
    if (!stats.m_lastFailure) return text + "It has not failed.";
    text += "Failures:";
    const char* separator = " ";
    for (const auto& kind : kFailureKinds) {
        if (const int count = stats.Count(kind.m_end); count > 0) {
            text += separator + std::to_string(count) + " " + kind.m_words;
            separator = ", ";
        }
    }
    text += ".\nTurn " + std::to_string(stats.m_lastFailureTurn) + ": " + name + " " +
            OutcomeText(*stats.m_lastFailure);
    const std::vector<std::string> lines =
        LastOutputLines(stats.m_lastFailure->m_outputTail, tail_lines);
    if (!lines.empty()) text += "\nIts last output:";
    for (const std::string& line : lines) text += "\n  " + line;
    return text + SittingOut(bot, "\n");
}

std::string SecondsText(std::chrono::milliseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(duration.count()) / 1000.0);
    return text;
}

}  // namespace jabbery
