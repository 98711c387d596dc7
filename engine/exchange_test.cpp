#include "engine/exchange.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <sstream>

#include "engine/test_bots.h"
#include "platform/test_processes.h"

namespace jabbery {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

CPlainString Read(const std::string& text) {
    std::istringstream stream(text);
    return ReadReply(stream, '\n');
}

TEST(ReadReply, TakesTheFirstLineWithTextWithoutLeadingWhiteSpaceOrAnyCarriageReturn) {
    EXPECT_EQ(Read("\r\n  \r\n\t  Hello there.\r\nsecond line\r\n").Str(), "Hello there.");
    EXPECT_EQ(Read("a\rb\r\r\n").Str(), "ab");
    EXPECT_EQ(Read("no line end  ").Str(), "no line end  ");
    EXPECT_EQ(Read("").Str(), "");
    EXPECT_EQ(Read(" \r\n \t\r\n").Str(), "");
    EXPECT_EQ(Read(std::string(3000, 'x') + "\r\n").Str(), std::string(kMaxReplyLength, 'x'));
}

// A bot folder in a fresh temporary folder, run with a generous limit.
struct ExchangeFixture : ::testing::Test {
    TempFolder root;
    RunLimits limits{std::chrono::seconds(30), nullptr};

    BotProfile Bot(const std::string& name, const std::string& command,
                   const std::string& dir = "bot") {
        std::filesystem::create_directories(root.File(dir));
        return BotProfile{root.File(dir) + "/", name, command};
    }
};

TEST_F(ExchangeFixture, HandsTheBotItsNameAndMessageAndReadsItsAnswer) {
    const BotProfile bot = Bot("Pip", testing::RecordAndAnswer("Hello there."));
    EXPECT_EQ(InvokeBot(bot, "Hi!", limits).Str(), "Hello there.");
    EXPECT_EQ(ReadFile(root.File("bot/seen.msg")), "Pip\r\nHi!\r\n");
    EXPECT_FALSE(std::filesystem::exists(root.File("bot/chat.msg")));

    InvokeBot(bot, "", limits);
    EXPECT_EQ(ReadFile(root.File("bot/seen.msg")), "Pip\r\n\r\n");
}

TEST_F(ExchangeFixture, ABotThatLeavesTheFileAsWrittenPassesOnItsNameOrTheMessage) {
    EXPECT_EQ(InvokeBot(Bot("  Quiet", "true"), "Hi!", limits).Str(), "Quiet");
    EXPECT_EQ(InvokeBot(Bot("", "true"), "  pass me on", limits).Str(), "pass me on");
    // A command that does not exist behaves as a bot that did nothing.
    EXPECT_EQ(InvokeBot(Bot("Ghost", "./no-such-bot"), "Hi!", limits).Str(), "Ghost");
}

TEST_F(ExchangeFixture, AnEmptiedOrDeletedMessageFileGivesAnEmptyReply) {
    EXPECT_EQ(InvokeBot(Bot("A", ": > chat.msg"), "Hi!", limits).Str(), "");
    EXPECT_EQ(InvokeBot(Bot("B", "rm chat.msg"), "Hi!", limits).Str(), "");
    EXPECT_EQ(InvokeBot(Bot("C", "printf '\\r\\n   \\r\\n' > chat.msg"), "Hi!", limits).Str(), "");
}

TEST_F(ExchangeFixture, RunsInTheBotsFolderWhateverCharactersItsNameHas) {
    const std::string dir = "odd 'name\" $(touch pwned) `touch pwned2`";
    const BotProfile bot = Bot("Odd", "pwd > where; printf 'fine\\n' > chat.msg", dir);
    EXPECT_EQ(InvokeBot(bot, "Hi!", limits).Str(), "fine");
    EXPECT_EQ(ReadFile(root.File(dir + "/where")), root.File(dir) + "\n");
    EXPECT_FALSE(std::filesystem::exists(root.File(dir + "/pwned")));
    EXPECT_FALSE(std::filesystem::exists(root.File("pwned2")));
}

TEST_F(ExchangeFixture, AHangingBotIsStoppedAtTheLimitWithEverythingItStarted) {
    limits.m_limit = std::chrono::milliseconds(300);
    const BotProfile bot =
        Bot("Slow", "echo $$ > group; printf 'partial\\r\\n' > chat.msg; sleep 1000 & sleep 1000");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(InvokeBot(bot, "Hi!", limits).Str(), "partial");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    const long group = std::stol(ReadFile(root.File("bot/group")));
    EXPECT_TRUE(testing::Eventually([&] { return !testing::GroupHasLiveProcess(group); }))
        << "a process of the bot's group survived";
}

TEST_F(ExchangeFixture, ABackgroundChildDoesNotOutliveItsTurn) {
    const BotProfile bot =
        Bot("Parent", "sleep 1000 & echo $! > child; printf 'done\\n' > chat.msg");
    EXPECT_EQ(InvokeBot(bot, "Hi!", limits).Str(), "done");
    const std::string child = testing::TrimmedFile(root.File("bot/child"));
    EXPECT_TRUE(testing::Eventually([&] { return !testing::ProcessIsLive(child); }))
        << "the bot's background child is still running";
}

TEST_F(ExchangeFixture, AMessageFileLeftAsAPipeOrLinkNeitherBlocksNorWritesElsewhere) {
    const BotProfile piper = Bot("Piper", "rm chat.msg; mkfifo chat.msg", "pipe");
    EXPECT_EQ(InvokeBot(piper, "Hi!", limits).Str(), "");
    // A pipe already there when the turn starts is replaced by a plain file.
    const BotProfile answerer = Bot("Answerer", "printf 'ok\\n' > chat.msg", "pipe");
    ASSERT_EQ(mkfifo(root.File("pipe/chat.msg").c_str(), 0600), 0);
    EXPECT_EQ(InvokeBot(answerer, "Hi!", limits).Str(), "ok");

    WriteFile(root.File("precious.txt"), "keep me\n");
    const BotProfile linker = Bot("Linker", "rm chat.msg; ln -s ../precious.txt chat.msg", "link");
    EXPECT_EQ(InvokeBot(linker, "Hi!", limits).Str(), "");
    InvokeBot(linker, "Hi!", limits);
    EXPECT_EQ(ReadFile(root.File("precious.txt")), "keep me\n");
}

}  // namespace
}  // namespace jabbery
