// SPDX-License-Identifier: MIT
#include "engine/exchange.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <sstream>
#include <thread>

#include "engine/test_bots.h"
#include "platform/test_environment.h"
#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// The cut's rule is CutReply's (values/); the reader keeps the byte after
// the limit, by which the cut tells that it would split a character.
TEST(ReadReply, TakesTheFirstLineWithTextTrimmedAndCutToTheLimit) {
    const std::string x(kMaxReplyLength - 1, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"\r\n  \r\n\t  Hello there.\r\nsecond line\r\n", "Hello there."},
        {"a\rb\r\r\n", "ab"},
        {"no line end  ", "no line end  "},
        {std::string(3000, 'x') + "\r\n", x + "x"},
        {x + "\xC3\xA9 more\r\n", x},
    };
    for (const auto& [text, reply] : cases) {
        std::istringstream stream(text);
        EXPECT_EQ(ReadReply(stream, '\n').Str(), reply) << text;
    }
}

// Bots run in a folder whose name would break any shell text it were pasted into.
const std::string kOddDir = "odd 'name\" $(touch pwned) `touch pwned2`";

struct ExchangeFixture : ::testing::Test {
    TempFolder root;
    RunLimits limits{std::chrono::seconds(30), nullptr};

    BotProfile Bot(const std::string& name, const std::string& command,
                   const std::string& dir = kOddDir) {
        fs::create_directories(root.File(dir));
        return BotProfile{root.File(dir) + "/", name, command};
    }
    std::string InBot(const std::string& file) const { return root.File(kOddDir + "/" + file); }
};

// Each way an exchange can end, with a real bot, in the order of precedence:
// a bot that both wrote an answer and failed is reported by its failure; one
// that could not start or left the file as written passes on its name (or,
// nameless, the message). The message file never stays behind.
TEST_F(ExchangeFixture, TellsHowEachExchangeEnded) {
    struct Case {
        std::string name, command;
        ExchangeEnd end;
        int code;
        std::string reply, reason;
    };
    WriteFile(root.File("not-executable"), "#!/bin/sh\n");
    WriteFile(root.File("precious.txt"), "keep me\n");
    const std::vector<Case> cases = {
        {"Pip", "pwd > where; printf 'fine\\n' > chat.msg", ExchangeEnd::kAnswered, 0, "fine", ""},
        {"Pip", ": > chat.msg", ExchangeEnd::kAnswered, 0, "", ""},
        {"Pip", "printf 'said\\n' > chat.msg; exit 3", ExchangeEnd::kExited, 3, "said", ""},
        {"Pip", "printf 'said\\n' > chat.msg; kill -SEGV $$", ExchangeEnd::kSignalled, SIGSEGV,
         "said", ""},
        {"Pip", root.File("not-executable"), ExchangeEnd::kCouldNotStart, 126, "Pip", ""},
        {"Ghost", "./no-such-bot", ExchangeEnd::kCouldNotStart, 127, "Ghost", "command not found"},
        {"  Quiet", "exit 0", ExchangeEnd::kNotRewritten, 0, "Quiet", ""},
        {"", "true", ExchangeEnd::kNotRewritten, 0, "Hi!", ""},
        {"Pip", "rm chat.msg; mkdir chat.msg", ExchangeEnd::kUnusableFile, 0, "", ""},
        {"Pip", "rm chat.msg", ExchangeEnd::kUnusableFile, 0, "",
         "chat.msg cannot be read back: it is missing"},
        // Links are neither read nor written through.
        {"Pip", "rm chat.msg; ln -s ../precious.txt chat.msg", ExchangeEnd::kUnusableFile, 0, "",
         "chat.msg cannot be read back"},
        {"Pip", "rm chat.msg; ln ../precious.txt chat.msg", ExchangeEnd::kUnusableFile, 0, "",
         "chat.msg cannot be read back: it has another hard link"},
    };
    for (const Case& c : cases) {
        const ExchangeResult result = InvokeBot(Bot(c.name, c.command), "Hi!", limits);
        EXPECT_EQ(result.m_outcome.m_end, c.end) << c.command;
        EXPECT_EQ(result.m_outcome.m_code, c.code) << c.command;
        EXPECT_EQ(result.m_reply.Str(), c.reply) << c.command;
        EXPECT_EQ(result.m_outcome.m_reason.find(c.reason), 0u) << c.command;
        const fs::path left = InBot("chat.msg");
        EXPECT_TRUE(!fs::exists(fs::symlink_status(left)) || fs::is_directory(left)) << c.command;
    }
    EXPECT_EQ(ReadFile(InBot("where")), root.File(kOddDir) + "\n");
    EXPECT_FALSE(fs::exists(InBot("pwned")) || fs::exists(root.File("pwned2")));
    EXPECT_EQ(ReadFile(root.File("precious.txt")), "keep me\n");

    // A folder that cannot be entered: nothing starts, and the reason says why.
    const ExchangeResult gone =
        InvokeBot(BotProfile{root.File("missing") + "/", "Pip", "true"}, "Hi!", limits);
    EXPECT_EQ(gone.m_outcome.m_end, ExchangeEnd::kUnusableFile);
    EXPECT_NE(gone.m_outcome.m_reason.find("No such file"), std::string::npos);

    // A hanging bot is stopped at the limit (its whole group: RunHidden's
    // tests); what it wrote by then is its reply.
    limits.m_limit = std::chrono::milliseconds(300);
    const ExchangeResult slow =
        InvokeBot(Bot("Slow", "printf 'partial\\r\\n' > chat.msg; sleep 1000"), "Hi!", limits);
    EXPECT_EQ(slow.m_outcome.m_end, ExchangeEnd::kTimedOut);
    EXPECT_EQ(slow.m_reply.Str(), "partial");
    EXPECT_GE(slow.m_outcome.m_elapsed, limits.m_limit);
}

// A folder moved, deleted or swapped for a link during a turn makes that
// exchange and the next unusable, passing on an empty line; nothing of the
// user's where the link points is read, deleted, written or run in.
TEST_F(ExchangeFixture, AFolderReplacedDuringItsTurnIsNeverUsedAgain) {
    const std::pair<const char*, const char*> cases[] = {
        {"cd ..; mv bot bot.real; ln -s victim bot", "the bot's folder was replaced"},
        {"cd ..; mv bot bot.real", "the bot's folder is gone from"},
        {"rm -rf \"$PWD\"", "the bot's folder is gone"},
    };
    for (const auto& [swap, reason] : cases) {
        SCOPED_TRACE(swap);
        fs::remove_all(root.File("bot.real"));
        fs::remove_all(root.File("victim"));
        fs::create_directories(root.File("victim"));
        WriteFile(root.File("victim/chat.msg"), "Mine, not a reply\r\n");
        BotProfile bot =
            Bot("Swapper", std::string("touch ran; printf 'x\\n' > chat.msg; ") + swap, "bot");
        std::string why;
        bot.m_openFolder = BotFolder::Open(bot.m_folder.Str(), why);
        for (int turn = 0; turn < 2; ++turn) {
            const ExchangeResult result = InvokeBot(bot, "Hi!", limits);
            EXPECT_EQ(result.m_outcome.m_end, ExchangeEnd::kUnusableFile);
            EXPECT_EQ(result.m_outcome.m_reason.find(reason), 0u) << result.m_outcome.m_reason;
            // Unusable: an empty line, neither the victim's file nor what the bot wrote.
            EXPECT_EQ(result.m_reply.Str(), "");
        }
        EXPECT_EQ(ReadFile(root.File("victim/chat.msg")), "Mine, not a reply\r\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(root.File("victim")), {}), 1);
        fs::remove(root.File("bot"));  // the link, if any
    }
}

// A pipe or hard link there before the turn is replaced by a plain file; a
// folder only when empty, else the bot is not run; so is a full disk.
TEST_F(ExchangeFixture, WhatIsLeftUnderTheMessageFilesNameBeforeTheTurnIsReplaced) {
    fs::create_directories(root.File("full/chat.msg/keep"));
    EXPECT_EQ(InvokeBot(Bot("F", "touch ran", "full"), "Hi!", limits).m_outcome.m_reason,
              "chat.msg cannot be written: it is a folder with files in it");
    {
        const ScopedLimit disk_full(RLIMIT_FSIZE, 4);
        EXPECT_EQ(InvokeBot(Bot("Named", "touch ran", "small"), "Hi!", limits).m_outcome.m_reason,
                  "chat.msg cannot be written: File too large");
    }
    EXPECT_FALSE(fs::exists(root.File("full/ran")) || fs::exists(root.File("small/ran")));
    EXPECT_TRUE(fs::exists(root.File("full/chat.msg/keep")));
    fs::remove(root.File("full/chat.msg/keep"));

    WriteFile(root.File("precious.txt"), "keep me\n");
    fs::create_directories(root.File("pipe"));
    fs::create_directories(root.File("hard"));
    ASSERT_EQ(mkfifo(root.File("pipe/chat.msg").c_str(), 0600), 0);
    fs::create_hard_link(root.File("precious.txt"), root.File("hard/chat.msg"));
    for (const char* dir : {"full", "pipe", "hard"}) {
        const BotProfile bot = Bot("A", "printf 'ok\\n' > chat.msg", dir);
        EXPECT_EQ(InvokeBot(bot, "Hi!", limits).m_reply.Str(), "ok") << dir;
    }
    EXPECT_EQ(ReadFile(root.File("precious.txt")), "keep me\n");
}

// While another conversation holds the bot's folder, an exchange waits for
// it within its own time limit, then says the bot is busy; once free, it runs.
TEST_F(ExchangeFixture, ABotBusyInAnotherConversationIsWaitedForWithinTheLimit) {
    const BotProfile bot = Bot("Ann", "printf 'hello\\r\\n' > chat.msg", "shared");
    const int held = ::open(root.File("shared").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const ExchangeResult busy = InvokeBot(bot, "Hi!", {std::chrono::milliseconds(300), nullptr});
    EXPECT_EQ(busy.m_outcome.m_end, ExchangeEnd::kCouldNotStart);
    EXPECT_EQ(busy.m_outcome.m_reason, "busy in another conversation");
    EXPECT_FALSE(fs::exists(root.File("shared/chat.msg")));
    std::thread release([held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::close(held);
    });
    const ExchangeResult answered = InvokeBot(bot, "Hi!", limits);
    release.join();
    EXPECT_EQ(answered.m_outcome.m_end, ExchangeEnd::kAnswered);
    EXPECT_EQ(answered.m_reply.Str(), "hello");
}

}  // namespace
}  // namespace jabbery
