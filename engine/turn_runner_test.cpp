// SPDX-License-Identifier: MIT
#include "engine/turn_runner.h"

#include <gtest/gtest.h>

#include <future>

#include "engine/test_bots.h"
#include "platform/test_environment.h"
#include "platform/test_processes.h"

namespace jabbery {
namespace {

using namespace std::chrono_literals;
using namespace testing;

// What a cancel does to the bot's processes: RunHidden's tests.
TEST(TurnRunner, StopCancelsTheRunningExchangeAtOnceAndLaterOnesToo) {
    TempFolder root;
    const std::string folder = MakeScriptBot(root, "ann", "Ann", "");
    const auto bot = [&](const std::string& command) {
        return BotProfile{CPlainString(folder + "/"), CPlainString("Ann"), CPlainString(command)};
    };
    std::promise<void> stopped_reply;
    std::promise<void> later_reply;
    ProcessBotRunner bots;
    TurnRunner runner(bots, 60s);
    runner.Start(bot("touch started; sleep 60"), CPlainString("x"), [&](ExchangeResult result) {
        EXPECT_EQ(result.m_outcome.m_end, ExchangeEnd::kCancelled);
        stopped_reply.set_value();
    });
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(folder + "/started"); }, 30));

    const auto stop_began = std::chrono::steady_clock::now();
    runner.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stop_began, 30s);
    // The stopped exchange's reply still arrives.
    EXPECT_EQ(stopped_reply.get_future().wait_for(1s), std::future_status::ready);

    const auto began = std::chrono::steady_clock::now();
    runner.Start(bot("sleep 60"), CPlainString("x"),
                 [&](ExchangeResult) { later_reply.set_value(); });
    EXPECT_EQ(later_reply.get_future().wait_for(30s), std::future_status::ready);
    EXPECT_LT(std::chrono::steady_clock::now() - began, 30s);
}

// An exchange for which no thread can be started (here: every new thread
// asks for a stack beyond memory) reports that it could not start, rather
// than throw out of the window's event handler.
TEST(TurnRunner, AnExchangeWithoutAThreadReportsItCouldNotStart) {
    TempFolder root;
    const std::string folder = MakeScriptBot(root, "ann", "Ann", "");
    ProcessBotRunner bots;
    TurnRunner runner(bots, 60s);
    ExchangeOutcome outcome;
    {
        const NoNewThreads no_threads;
        EXPECT_NO_THROW(runner.Start(
            BotProfile{CPlainString(folder + "/"), CPlainString("Ann"), CPlainString("true")},
            CPlainString("x"), [&](ExchangeResult result) { outcome = result.m_outcome; }));
    }
    EXPECT_EQ(outcome.m_end, ExchangeEnd::kCouldNotStart);
    EXPECT_NE(outcome.m_reason.find("thread"), std::string::npos) << outcome.m_reason;
}

}  // namespace
}  // namespace jabbery
