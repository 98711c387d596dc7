// SPDX-License-Identifier: MIT
#include "stdio/stdio_bridge.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>

#include "platform/test_processes.h"
#include "platform/test_temp_folder.h"
#include "values/bot_protocol.h"

namespace jabbery {
namespace {

using namespace testing;

// How a run of jabbery-stdio ended and what it printed on standard error.
struct StdioRun {
    int m_status;
    std::string m_err;
};

class StdioBridgeRun : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directory(m_bot); }
    // Runs jabbery-stdio with `arguments` (shell words) in the bot folder,
    // after writing `message`, when not empty, to chat.msg.
    StdioRun Run(const std::string& message, const std::string& arguments) {
        if (!message.empty()) WriteFile(m_bot + "/chat.msg", message);
        const std::string command =
            "cd " + Quote(m_bot) + " && " + Quote(JABBERY_STDIO) + " " + arguments + " 2> ../err";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(m_root.File("err"))};
    }

    TempFolder m_root;
    std::string m_bot = m_root.File("bot");
};

// The message also comes in the environment; a message larger than a pipe holds
// does not stall a command that reads none of it; a long answer is cut as CutReply
// cuts; the answer ends the command with all it started.
TEST_F(StdioBridgeRun, WritesTheFirstLineTheCommandPrintsAsTheAnswer) {
    const std::string hello = "Bob\r\nhello there\r\n";
    const std::string large = "Bob\r\n" + std::string(100000, 'x') + "\r\n";
    const std::string cases[][3] = {
        {hello, "tr a-z A-Z", "HELLO THERE\r\n"},
        {hello, "sh -c 'echo \"$JABBERY_NAME: $JABBERY_MESSAGE\"'", "Bob: hello there\r\n"},
        {large, "echo hi", "hi\r\n"},
        {large, "cat", std::string(kMaxReplyLength, 'x') + "\r\n"},
        {large, "printf 'no line end'", "no line end\r\n"},
        {"Bob\nhi there", "cat", "hi there\r\n"},
        {hello, "sh -c 'echo $$ > group; echo; echo \"  first\"; echo second; sleep 100'",
         "first\r\n"}};
    const auto started = std::chrono::steady_clock::now();
    for (const auto& [message, command, answer] : cases) {
        const auto run = Run(message, command);
        EXPECT_EQ(run.m_status, 0) << command << ": " << run.m_err;
        EXPECT_EQ(ReadFile(m_bot + "/chat.msg"), answer) << command;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    const long group = std::stol(ReadFile(m_bot + "/group"));
    EXPECT_TRUE(Eventually([&] { return !GroupHasLiveProcess(group); }));
}

TEST_F(StdioBridgeRun, WithoutAnAnswerLeavesTheFileAndExitsWithTheCommandsStatus) {
    const std::string message = "Bob\r\nhello\r\n";
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        {"sh -c 'echo bad >&2; exit 3'", 3, "bad\njabbery-stdio: sh exited with code 3"},
        {"true", 1, "true printed no answer"},
        {"printf ' \\t\\r\\n\\n'", 1, "printf printed no answer"},
        {"sh -c 'kill -9 $$'", 128 + 9, "sh was killed by SIGKILL"},
        {"no-such-command-here", 127, "cannot run no-such-command-here: No such file"},
    };
    for (const auto& [command, status, error] : cases) {
        const auto run = Run(message, command);
        EXPECT_EQ(run.m_status, status) << command;
        EXPECT_NE(run.m_err.find(error), std::string::npos) << run.m_err;
        EXPECT_EQ(ReadFile(m_bot + "/chat.msg"), message) << command;
    }
    // No command, no message file, or a link in its place (whose target is
    // left untouched): a one-line complaint.
    std::filesystem::remove(m_bot + "/chat.msg");
    for (const std::string arguments : {"", "cat"}) {
        const auto run = Run("", arguments);
        EXPECT_EQ(run.m_status, 2) << arguments;
        EXPECT_EQ(std::count(run.m_err.begin(), run.m_err.end(), '\n'), 1) << run.m_err;
    }
    WriteFile(m_root.File("elsewhere"), message);
    std::filesystem::create_symlink(m_root.File("elsewhere"), m_bot + "/chat.msg");
    EXPECT_EQ(Run("", "echo hi").m_status, 2);
    EXPECT_EQ(ReadFile(m_root.File("elsewhere")), message);
}

}  // namespace
}  // namespace jabbery
