#include "engine/exchange.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <sstream>

#include "engine/test_bots.h"
#include "platform/test_processes.h"
#include "platform/test_temp_folder.h"

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

// The reply alone, for tests that look at nothing else.
CPlainString Reply(const BotProfile& bot, const CPlainString& message, const RunLimits& limits) {
    return InvokeBot(bot, message, limits).m_reply;
}

TEST_F(ExchangeFixture, HandsTheBotItsNameAndMessageAndReadsItsAnswer) {
    const BotProfile bot = Bot("Pip", testing::RecordAndAnswer("Hello there."));
    const ExchangeResult result = InvokeBot(bot, "Hi!", limits);
    EXPECT_EQ(result.m_reply.Str(), "Hello there.");
    EXPECT_EQ(result.m_outcome.m_end, ExchangeEnd::kAnswered);
    EXPECT_EQ(ReadFile(root.File("bot/seen.msg")), "Pip\r\nHi!\r\n");
    EXPECT_FALSE(std::filesystem::exists(root.File("bot/chat.msg")));

    InvokeBot(bot, "", limits);
    EXPECT_EQ(ReadFile(root.File("bot/seen.msg")), "Pip\r\n\r\n");
}

TEST_F(ExchangeFixture, ABotThatLeavesTheFileAsWrittenPassesOnItsNameOrTheMessage) {
    const ExchangeResult quiet = InvokeBot(Bot("  Quiet", "true"), "Hi!", limits);
    EXPECT_EQ(quiet.m_reply.Str(), "Quiet");
    EXPECT_EQ(quiet.m_outcome.m_end, ExchangeEnd::kNotRewritten);
    EXPECT_EQ(Reply(Bot("", "true"), "  pass me on", limits).Str(), "pass me on");
    // A command that does not exist could not start, and still passes on its name.
    const ExchangeResult ghost = InvokeBot(Bot("Ghost", "./no-such-bot"), "Hi!", limits);
    EXPECT_EQ(ghost.m_reply.Str(), "Ghost");
    EXPECT_EQ(ghost.m_outcome.m_end, ExchangeEnd::kCouldNotStart);
    EXPECT_EQ(ghost.m_outcome.m_reason, "command not found");
    EXPECT_NE(ghost.m_outcome.m_outputTail.find("no-such-bot"), std::string::npos);
}

TEST_F(ExchangeFixture, AnEmptiedOrDeletedMessageFileGivesAnEmptyReply) {
    EXPECT_EQ(Reply(Bot("A", ": > chat.msg"), "Hi!", limits).Str(), "");
    const ExchangeResult deleted = InvokeBot(Bot("B", "rm chat.msg"), "Hi!", limits);
    EXPECT_EQ(deleted.m_reply.Str(), "");
    EXPECT_EQ(deleted.m_outcome.m_end, ExchangeEnd::kUnusableFile);
    EXPECT_EQ(deleted.m_outcome.m_reason, "chat.msg cannot be read back: it is missing");
    EXPECT_EQ(Reply(Bot("C", "printf '\\r\\n   \\r\\n' > chat.msg"), "Hi!", limits).Str(), "");
}

// Each way an exchange can end, with a real bot, in the order of precedence:
// a bot that both wrote an answer and failed is reported by its failure.
TEST_F(ExchangeFixture, TellsHowEachExchangeEnded) {
    struct Case {
        std::string command;
        ExchangeEnd end;
        int code;
        std::string reply;
    };
    WriteFile(root.File("not-executable"), "#!/bin/sh\n");
    const std::vector<Case> cases = {
        {"printf 'fine\\n' > chat.msg", ExchangeEnd::kAnswered, 0, "fine"},
        {"printf 'said\\n' > chat.msg; exit 3", ExchangeEnd::kExited, 3, "said"},
        {"printf 'said\\n' > chat.msg; kill -SEGV $$", ExchangeEnd::kSignalled, SIGSEGV, "said"},
        {root.File("not-executable"), ExchangeEnd::kCouldNotStart, 126, "Pip"},
        {"exit 0", ExchangeEnd::kNotRewritten, 0, "Pip"},
        {"rm chat.msg; mkdir chat.msg", ExchangeEnd::kUnusableFile, 0, ""},
    };
    for (const Case& c : cases) {
        const ExchangeResult result = InvokeBot(Bot("Pip", c.command), "Hi!", limits);
        EXPECT_EQ(result.m_outcome.m_end, c.end) << c.command;
        EXPECT_EQ(result.m_outcome.m_code, c.code) << c.command;
        EXPECT_EQ(result.m_reply.Str(), c.reply) << c.command;
    }

    // A folder that cannot be entered: nothing starts, and the reason says why.
    const ExchangeResult gone =
        InvokeBot(BotProfile{root.File("missing") + "/", "Pip", "true"}, "Hi!", limits);
    EXPECT_EQ(gone.m_outcome.m_end, ExchangeEnd::kUnusableFile);
    EXPECT_NE(gone.m_outcome.m_reason.find("No such file"), std::string::npos);

    // A cancelled exchange starts nothing at all.
    RunCanceller canceller;
    canceller.Cancel();
    const RunLimits cancelled{limits.m_limit, &canceller};
    EXPECT_EQ(InvokeBot(Bot("Pip", "touch ran"), "Hi!", cancelled).m_outcome.m_end,
              ExchangeEnd::kCancelled);
    EXPECT_FALSE(std::filesystem::exists(root.File("bot/ran")));
}

TEST_F(ExchangeFixture, AFolderLeftUnderTheMessageFilesNameIsRemovedOnlyWhenEmpty) {
    std::filesystem::create_directories(root.File("bot/chat.msg/keep"));
    const ExchangeResult full = InvokeBot(Bot("Pip", "touch ran"), "Hi!", limits);
    EXPECT_EQ(full.m_outcome.m_end, ExchangeEnd::kUnusableFile);
    EXPECT_EQ(full.m_outcome.m_reason,
              "chat.msg cannot be written: it is a folder with files in it");
    EXPECT_FALSE(std::filesystem::exists(root.File("bot/ran")));  // the bot was not run
    EXPECT_TRUE(std::filesystem::exists(root.File("bot/chat.msg/keep")));

    std::filesystem::remove(root.File("bot/chat.msg/keep"));
    EXPECT_EQ(Reply(Bot("Pip", "printf 'ok\\n' > chat.msg"), "Hi!", limits).Str(), "ok");
}

TEST_F(ExchangeFixture, KeepsOnlyTheLastBytesOfAFloodOfOutput) {
    // 100 MB on standard error, then a last line: the bot is neither blocked
    // nor cut short, and only the tail is kept.
    const BotProfile bot =
        Bot("Flood",
            "grep flags /proc/self/fdinfo/2 > flags; "
            "head -c 100000000 /dev/zero | tr '\\0' x >&2; echo LAST >&2; echo out >&1; "
            "printf 'ok\\n' > chat.msg");
    const ExchangeResult result = InvokeBot(bot, "Hi!", limits);
    EXPECT_EQ(result.m_outcome.m_end, ExchangeEnd::kAnswered);
    EXPECT_EQ(result.m_reply.Str(), "ok");
    const std::string& tail = result.m_outcome.m_outputTail;
    EXPECT_EQ(tail.size(), kOutputTailBytes);
    EXPECT_EQ(tail.substr(tail.size() - 9), "LAST\nout\n");
    // The bot's end of the pipe blocks as a pipe should: a non-blocking one
    // would make its writes fail whenever we are slow to read.
    std::istringstream flags(ReadFile(root.File("bot/flags")).substr(6));
    unsigned octal_flags = 0;
    ASSERT_TRUE(flags >> std::oct >> octal_flags);
    EXPECT_EQ(octal_flags & 04000u, 0u) << "O_NONBLOCK is set on the bot's output";
}

TEST_F(ExchangeFixture, RunsInTheBotsFolderWhateverCharactersItsNameHas) {
    const std::string dir = "odd 'name\" $(touch pwned) `touch pwned2`";
    const BotProfile bot = Bot("Odd", "pwd > where; printf 'fine\\n' > chat.msg", dir);
    EXPECT_EQ(Reply(bot, "Hi!", limits).Str(), "fine");
    EXPECT_EQ(ReadFile(root.File(dir + "/where")), root.File(dir) + "\n");
    EXPECT_FALSE(std::filesystem::exists(root.File(dir + "/pwned")));
    EXPECT_FALSE(std::filesystem::exists(root.File("pwned2")));
}

TEST_F(ExchangeFixture, AHangingBotIsStoppedAtTheLimitWithEverythingItStarted) {
    limits.m_limit = std::chrono::milliseconds(300);
    const BotProfile bot =
        Bot("Slow", "echo $$ > group; printf 'partial\\r\\n' > chat.msg; sleep 1000 & sleep 1000");
    const ExchangeResult result = InvokeBot(bot, "Hi!", limits);
    EXPECT_EQ(result.m_reply.Str(), "partial");
    EXPECT_EQ(result.m_outcome.m_end, ExchangeEnd::kTimedOut);
    EXPECT_GE(result.m_outcome.m_elapsed, limits.m_limit);
    EXPECT_LT(result.m_outcome.m_elapsed, std::chrono::seconds(15));
    const long group = std::stol(ReadFile(root.File("bot/group")));
    EXPECT_TRUE(testing::Eventually([&] { return !testing::GroupHasLiveProcess(group); }))
        << "a process of the bot's group survived";
}

TEST_F(ExchangeFixture, ABackgroundChildDoesNotOutliveItsTurn) {
    const BotProfile bot =
        Bot("Parent", "sleep 1000 & echo $! > child; printf 'done\\n' > chat.msg");
    EXPECT_EQ(Reply(bot, "Hi!", limits).Str(), "done");
    const std::string child = testing::TrimmedFile(root.File("bot/child"));
    EXPECT_TRUE(testing::Eventually([&] { return !testing::ProcessIsLive(child); }))
        << "the bot's background child is still running";
}

TEST_F(ExchangeFixture, AMessageFileLeftAsAPipeOrLinkNeitherBlocksNorWritesElsewhere) {
    const BotProfile piper = Bot("Piper", "rm chat.msg; mkfifo chat.msg", "pipe");
    EXPECT_EQ(Reply(piper, "Hi!", limits).Str(), "");
    // A pipe already there when the turn starts is replaced by a plain file.
    const BotProfile answerer = Bot("Answerer", "printf 'ok\\n' > chat.msg", "pipe");
    ASSERT_EQ(mkfifo(root.File("pipe/chat.msg").c_str(), 0600), 0);
    EXPECT_EQ(Reply(answerer, "Hi!", limits).Str(), "ok");

    WriteFile(root.File("precious.txt"), "keep me\n");
    const BotProfile linker = Bot("Linker", "rm chat.msg; ln -s ../precious.txt chat.msg", "link");
    EXPECT_EQ(Reply(linker, "Hi!", limits).Str(), "");
    InvokeBot(linker, "Hi!", limits);
    EXPECT_EQ(ReadFile(root.File("precious.txt")), "keep me\n");

    // A hard link to an outside file is neither written through nor read.
    const BotProfile hard_linker = Bot("Hard", "rm chat.msg; ln ../precious.txt chat.msg", "hard");
    const ExchangeResult hard = InvokeBot(hard_linker, "Hi!", limits);
    EXPECT_EQ(hard.m_reply.Str(), "");
    EXPECT_EQ(hard.m_outcome.m_reason,
              "chat.msg cannot be read back: it is a hard link to another file");
    // One left there before the turn is replaced, not written through.
    std::filesystem::create_hard_link(root.File("precious.txt"), root.File("hard/chat.msg"));
    EXPECT_EQ(Reply(Bot("Hard", "printf 'ok\\n' > chat.msg", "hard"), "Hi!", limits).Str(), "ok");
    EXPECT_EQ(ReadFile(root.File("precious.txt")), "keep me\n");
}

}  // namespace
}  // namespace jabbery
