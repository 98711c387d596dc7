#include "engine/bot_table.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

using namespace std::chrono_literals;

TEST(BotTable, ShowsEachBotsCountsTimesAndLastFailureWithItsOutput) {
    ConversationState state;
    state.m_botName[1] = "Wren";
    state.m_botFolder[1] = "/bots/wren/";
    ExchangeOutcome answered;
    answered.m_elapsed = 100ms;
    ExchangeOutcome timed_out{ExchangeEnd::kTimedOut, 0, "", 20000ms,
                              "thinking\n\nstill thinking\n"};
    state.m_botStats[1].Record(answered, 2);
    state.m_botStats[1].Record(timed_out, 4);
    state.m_botStats[1].Record(answered, 6);

    const std::vector<std::string> row = BotTableRow(state, 1);
    ASSERT_EQ(row.size(), BotTableHeadings().size());
    EXPECT_EQ(row, (std::vector<std::string>{"2", "Wren", "/bots/wren/", "3", "2", "1", "0", "0",
                                             "0", "0", "0", "0.10 s", "20.00 s",
                                             "turn 4: timed out after 20 s"}));
    EXPECT_EQ(LastFailureText(state, 1, 1),
              "Turn 4: Wren timed out after 20 s\nIts last output:\n  still thinking");
    EXPECT_EQ(LastFailureText(state, 0, 5), "");
    EXPECT_EQ(BotTableRow(state, 0)[11], "") << "no time before the first turn";
}

}  // namespace
}  // namespace jabbery
