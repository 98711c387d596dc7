#include "shell/turn_runner.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <optional>

#include "engine/test_bots.h"

namespace jabbery {
namespace {

using namespace std::chrono_literals;
using testing::TempFolder;

// Collects the reply a worker hands over.
struct ReplyBox {
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::optional<std::string> m_reply;
    std::thread::id m_thread;

    TurnRunner::Done Receiver() {
        return [this](CPlainString reply) {
            std::lock_guard lock(m_mutex);
            m_reply = reply.Str();
            m_thread = std::this_thread::get_id();
            m_arrived.notify_all();
        };
    }
    std::optional<std::string> WaitFor(std::chrono::seconds limit) {
        std::unique_lock lock(m_mutex);
        m_arrived.wait_for(lock, limit, [this] { return m_reply.has_value(); });
        return m_reply;
    }
};

// True while process `pid` exists and is not a zombie waiting to be reaped.
bool IsRunning(const std::string& pid) {
    const std::string stat = testing::ReadFile("/proc/" + pid + "/stat");
    const auto paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

BotProfile Profile(const std::string& folder, const std::string& command) {
    return BotProfile{CPlainString(folder + "/"), CPlainString("Ann"), CPlainString(command)};
}

TEST(TurnRunner, HandsTheBotsReplyOverOnAnotherThread) {
    TempFolder root;
    const std::string folder = testing::MakeScriptBot(root, "ann", "Ann", "");
    TurnRunner runner(20s);
    ReplyBox box;
    runner.Start(Profile(folder, testing::RecordAndAnswer("Hello")), CPlainString("Hi!"),
                 box.Receiver());
    EXPECT_EQ(box.WaitFor(60s), std::optional<std::string>("Hello"));
    EXPECT_NE(box.m_thread, std::this_thread::get_id());
    EXPECT_EQ(testing::ReadFile(folder + "/seen.msg"), "Ann\r\nHi!\r\n");
}

TEST(TurnRunner, RunsOneExchangeAfterAnother) {
    TempFolder root;
    const std::string folder = testing::MakeScriptBot(root, "ann", "Ann", "");
    TurnRunner runner(20s);
    for (const char* answer : {"one", "two", "three"}) {
        ReplyBox box;
        runner.Start(Profile(folder, testing::RecordAndAnswer(answer)), CPlainString("x"),
                     box.Receiver());
        EXPECT_EQ(box.WaitFor(60s), std::optional<std::string>(answer));
    }
}

TEST(TurnRunner, StopEndsARunningBotAtOnceAndItsReplyStillArrives) {
    TempFolder root;
    const std::string folder = testing::MakeScriptBot(root, "ann", "Ann", "");
    TurnRunner runner(60s);
    ReplyBox box;
    // The bot leaves a child behind that would run for a minute.
    runner.Start(Profile(folder, "sleep 60 & echo $! > child.pid; sleep 60"), CPlainString("x"),
                 box.Receiver());
    // Wait until the bot has started its child, so Stop meets a running bot.
    const auto started = std::chrono::steady_clock::now();
    while (testing::ReadFile(folder + "/child.pid").empty() &&
           std::chrono::steady_clock::now() - started < 30s) {
        std::this_thread::sleep_for(20ms);
    }
    std::string child = testing::ReadFile(folder + "/child.pid");
    while (!child.empty() && (child.back() == '\n' || child.back() == '\r')) child.pop_back();
    ASSERT_FALSE(child.empty());
    ASSERT_TRUE(IsRunning(child));

    const auto stop_began = std::chrono::steady_clock::now();
    runner.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stop_began, 30s);
    ASSERT_TRUE(box.WaitFor(1s).has_value());
    // The bot's whole group went with it; give the kernel a moment to reap.
    bool gone = false;
    for (int i = 0; i < 250 && !gone; ++i) {
        gone = !IsRunning(child);
        if (!gone) std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(gone) << "the bot's child " << child << " outlived Stop";
}

TEST(TurnRunner, AnExchangeStartedAfterStopEndsAtOnce) {
    TempFolder root;
    const std::string folder = testing::MakeScriptBot(root, "ann", "Ann", "");
    TurnRunner runner(60s);
    runner.Stop();
    ReplyBox box;
    const auto began = std::chrono::steady_clock::now();
    runner.Start(Profile(folder, "sleep 60"), CPlainString("x"), box.Receiver());
    EXPECT_TRUE(box.WaitFor(30s).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - began, 30s);
}

}  // namespace
}  // namespace jabbery
