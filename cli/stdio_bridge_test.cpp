#include "cli/stdio_bridge.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <sstream>

#include "engine/exchange.h"
#include "engine/test_bots.h"
#include "platform/test_processes.h"

namespace jabbery {
namespace {

using testing::ReadFile;
using testing::TempFolder;

struct StdioRun {
    int m_status;
    std::string m_err;
    std::chrono::steady_clock::duration m_took;
};

// Runs jabbery-stdio with `arguments` (shell words) in `folder`.
StdioRun RunStdio(const std::string& folder, const std::string& arguments) {
    const auto start = std::chrono::steady_clock::now();
    const std::string command =
        "cd '" + folder + "' && '" JABBERY_STDIO "' " + arguments + " 2> ../err";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(folder + "/../err"),
            std::chrono::steady_clock::now() - start};
}

std::string AnswerFrom(const std::string& output) {
    AnswerLine answer;
    if (!answer.Feed(output) && !answer.Finish()) return "(none)";
    return answer.ProtocolBytes();
}

TEST(StdioBridge, TakesTheFirstNonBlankLineKeepsWholeUtf8AndReadsBothLineEnds) {
    EXPECT_EQ(AnswerFrom("\n \t\r\n  first\r\nsecond\n"), "first\r\n");
    EXPECT_EQ(AnswerFrom("no line end"), "no line end\r\n");
    EXPECT_EQ(AnswerFrom(" \r\n\n"), "(none)");
    const std::string long_line = std::string(kMaxReplyLength - 1, 'a') + "\xC3\xA9" + "tail\n";
    EXPECT_EQ(AnswerFrom(long_line), std::string(kMaxReplyLength - 1, 'a') + "\r\n");
    for (const std::string file : {"Bob\r\nhi there\r\n", "Bob\nhi there"}) {
        std::istringstream stream(file);
        const BotMessage message = ReadBotMessage(stream);
        EXPECT_EQ(message.m_name + "|" + message.m_message, "Bob|hi there");
    }
}

TEST(StdioBridge, WritesTheAnswerFromStdoutAndSetsTheEnvironment) {
    TempFolder root;
    const std::string bot = root.File("bot");
    std::filesystem::create_directory(bot);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"tr a-z A-Z", "HELLO THERE\r\n"},
        {"echo hi", "hi\r\n"},
        {"sh -c 'echo \"$JABBERY_NAME: $JABBERY_MESSAGE\"'", "Bob: hello there\r\n"},
    };
    for (const auto& [command, answer] : cases) {
        testing::WriteFile(bot + "/chat.msg", "Bob\r\nhello there\r\n");
        const StdioRun run = RunStdio(bot, command);
        EXPECT_EQ(run.m_status, 0) << command << ": " << run.m_err;
        EXPECT_EQ(ReadFile(bot + "/chat.msg"), answer) << command;
    }
}

TEST(StdioBridge, WithoutAnAnswerLeavesTheFileAndExitsWithTheCommandsStatus) {
    TempFolder root;
    const std::string bot = root.File("bot");
    std::filesystem::create_directory(bot);
    const std::string message = "Bob\r\nhello\r\n";
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        {"sh -c 'echo bad >&2; exit 3'", 3, "bad\njabbery-stdio: sh exited with code 3"},
        {"true", 1, "true printed no answer"},
        {"sh -c 'kill -9 $$'", 128 + 9, "sh was killed by SIGKILL"},
        {"no-such-command-here", 127, "cannot run no-such-command-here: No such file"},
    };
    for (const auto& [command, status, error] : cases) {
        testing::WriteFile(bot + "/chat.msg", message);
        const StdioRun run = RunStdio(bot, command);
        EXPECT_EQ(run.m_status, status) << command;
        EXPECT_NE(run.m_err.find(error), std::string::npos) << run.m_err;
        EXPECT_EQ(ReadFile(bot + "/chat.msg"), message) << command;
    }
    std::filesystem::remove(bot + "/chat.msg");
    for (const std::string arguments : {"", "cat"}) {
        const StdioRun run = RunStdio(bot, arguments);
        EXPECT_EQ(run.m_status, 2) << arguments;
        EXPECT_EQ(std::count(run.m_err.begin(), run.m_err.end(), '\n'), 1) << run.m_err;
    }
}

// A message larger than a pipe holds must not stall a command that reads
// none of it, and an answer larger than Jabbery keeps is cut.
TEST(StdioBridge, LongMessagesNeitherBlockNorOverflowTheAnswer) {
    TempFolder root;
    const std::string bot = root.File("bot");
    std::filesystem::create_directory(bot);
    const std::string message = "Bob\r\n" + std::string(100000, 'x') + "\r\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"echo hi", "hi\r\n"},
        {"cat", std::string(kMaxReplyLength, 'x') + "\r\n"},
        {"printf 'no line end'", "no line end\r\n"},
    };
    for (const auto& [command, answer] : cases) {
        testing::WriteFile(bot + "/chat.msg", message);
        const StdioRun run = RunStdio(bot, command);
        EXPECT_EQ(run.m_status, 0) << command << ": " << run.m_err;
        EXPECT_EQ(ReadFile(bot + "/chat.msg"), answer) << command;
    }
    // A link in place of the message file is refused, and its target untouched.
    testing::WriteFile(root.File("elsewhere"), message);
    std::filesystem::remove(bot + "/chat.msg");
    std::filesystem::create_symlink(root.File("elsewhere"), bot + "/chat.msg");
    EXPECT_EQ(RunStdio(bot, "echo hi").m_status, 2);
    EXPECT_EQ(ReadFile(root.File("elsewhere")), message);
}

TEST(StdioBridge, StopsReadingAtTheAnswerAndEndsTheCommandWithAllItStarted) {
    TempFolder root;
    const std::string bot = root.File("bot");
    std::filesystem::create_directory(bot);
    testing::WriteFile(bot + "/chat.msg", "Bob\r\nhello\r\n");
    const StdioRun run =
        RunStdio(bot, "sh -c 'echo $$ > group; echo; echo first; echo second; sleep 100'");
    EXPECT_EQ(run.m_status, 0) << run.m_err;
    EXPECT_EQ(ReadFile(bot + "/chat.msg"), "first\r\n");
    EXPECT_LT(run.m_took, std::chrono::seconds(20));
    const long group = std::stol(ReadFile(bot + "/group"));
    EXPECT_TRUE(testing::Eventually([&] { return !testing::GroupHasLiveProcess(group); }));
}

TEST(StdioBridge, TwoBridgedBotsTalkThroughJabberyCli) {
    TempFolder root;
    const std::string upper = testing::MakeScriptBot(root, "a", "Up", JABBERY_STDIO " tr a-z A-Z");
    const std::string mirror = testing::MakeScriptBot(root, "b", "Rev", JABBERY_STDIO " rev");
    const std::string command = std::string("'" JABBERY_CLI "' --turns 4 --interval 0 '") + upper +
                                "' '" + mirror + "' > '" + root.File("out") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFile(root.File("out")),
              upper + "/\n" + mirror + "/\nUP> HI!\nREV> !IH\nUP> !IH\nREV> HI!\n");
}

}  // namespace
}  // namespace jabbery
