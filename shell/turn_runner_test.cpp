#include "shell/turn_runner.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <optional>

#include "engine/test_bots.h"
#include "platform/test_processes.h"

namespace jabbery {
namespace {

using namespace std::chrono_literals;
using namespace testing;

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

BotProfile Profile(const std::string& folder, const std::string& command) {
    return BotProfile{CPlainString(folder + "/"), CPlainString("Ann"), CPlainString(command)};
}

TEST(TurnRunner, RunsOneExchangeAfterAnotherHandingTheReplyOverOnAnotherThread) {
    TempFolder root;
    const std::string folder = MakeScriptBot(root, "ann", "Ann", "");
    TurnRunner runner(20s);
    for (const char* answer : {"one", "two", "three"}) {
        ReplyBox box;
        runner.Start(Profile(folder, RecordAndAnswer(answer)), CPlainString(answer),
                     box.Receiver());
        EXPECT_EQ(box.WaitFor(60s), std::optional<std::string>(answer));
        EXPECT_NE(box.m_thread, std::this_thread::get_id());
        EXPECT_EQ(ReadFile(folder + "/seen.msg"), "Ann\r\n" + std::string(answer) + "\r\n");
    }
}

TEST(TurnRunner, StopEndsARunningBotsGroupAtOnceAndLaterExchangesToo) {
    TempFolder root;
    const std::string folder = MakeScriptBot(root, "ann", "Ann", "");
    TurnRunner runner(60s);
    ReplyBox box;
    // The bot leaves a child behind that would run for a minute.
    runner.Start(Profile(folder, "sleep 60 & echo $! > child.pid; sleep 60"), CPlainString("x"),
                 box.Receiver());
    ASSERT_TRUE(Eventually([&] { return !TrimmedFile(folder + "/child.pid").empty(); }, 30));
    const std::string child = TrimmedFile(folder + "/child.pid");
    ASSERT_TRUE(ProcessIsLive(child));

    const auto stop_began = std::chrono::steady_clock::now();
    runner.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stop_began, 30s);
    // The stopped exchange's reply still arrives, and the bot's whole group went.
    EXPECT_TRUE(box.WaitFor(1s).has_value());
    EXPECT_TRUE(Eventually([&] { return !ProcessIsLive(child); }, 5)) << "child " << child;

    ReplyBox later;
    const auto began = std::chrono::steady_clock::now();
    runner.Start(Profile(folder, "sleep 60"), CPlainString("x"), later.Receiver());
    EXPECT_TRUE(later.WaitFor(30s).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - began, 30s);
}

}  // namespace
}  // namespace jabbery
