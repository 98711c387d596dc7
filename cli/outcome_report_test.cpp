// SPDX-License-Identifier: MIT
#include "cli/outcome_report.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

// --stats shows the figures of the window's Bots window in its words (times
// to the hundredth, none before a bot's first turn), then each kind of failure.
TEST(StatsTable, ShowsTheBotsWindowFiguresThenEachKindOfFailure) {
    std::vector<Participant> bots(2);
    bots[0].m_name = "Ann";
    bots[1].m_name = "Bob";
    ExchangeOutcome answered;
    for (const int ms : {250, 260}) {
        answered.m_elapsed = std::chrono::milliseconds(ms);
        bots[0].m_stats.Record(answered, 1);
    }
    ExchangeOutcome timed_out;
    timed_out.m_end = ExchangeEnd::kTimedOut;
    timed_out.m_elapsed = std::chrono::milliseconds(20004);
    bots[0].m_stats.Record(timed_out, 3);
    EXPECT_EQ(StatsTable(bots, false),
              "Name  Turns  Answered  Failures  Median  Slowest  failed-to-start  timed-out"
              "  signalled  exited  unusable-file  not-rewritten\n"
              "Ann       3         2         1  0.26 s  20.00 s                0          1"
              "          0       0              0              0\n"
              "Bob       0         0         0                                 0          0"
              "          0       0              0              0\n");
}

}  // namespace
}  // namespace jabbery
