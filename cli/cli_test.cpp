// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include "cli/test_cli_run.h"
#include "engine/test_bots.h"
#include "platform/test_environment.h"
#include "platform/test_processes.h"

namespace jabbery {
namespace {

using namespace testing;

TEST(JabberyCli, RunsTheTurnsAndSavesTheBannerAndEveryLine) {
    TempFolder root;
    const std::string a = MakeScriptBot(root, "a", "Ann", RecordAndAnswer("hello"));
    const std::string b = MakeScriptBot(root, "b", "Bob", RecordAndAnswer("hi"));
    const auto run = RunCli(root, {"--turns", "6", "--interval", "0", "--save", root.File("t.txt"),
                                   "--rtf", root.File("t.rtf"), a, b});
    ASSERT_EQ(run.m_status, 0) << run.m_err;
    EXPECT_EQ(run.m_out, a + "/\n" + b +
                             "/\nANN> hello\nBOB> hi\nANN> hello\nBOB> hi\n"
                             "ANN> hello\nBOB> hi\n");
    const std::string saved = ReadFile(root.File("t.txt"));
    EXPECT_TRUE(std::regex_search(
        saved, std::regex("^#{77}\r\n### Jabbery 3.0: Transcript of "
                          "[A-Z][a-z]+ [0-9]+, [0-9]{4} at [0-9]+:[0-9]{2}\r\n#{77}\r\n")));
    EXPECT_EQ(CountLines(saved), 3u + 2u + 6u);
    const std::string rtf = ReadFile(root.File("t.rtf"));
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(rtf.find("\\cf1 \\b BOB> \\b0 hi\\line \\cf0 \\b ANN> \\b0 hello\\line "),
              std::string::npos);
    EXPECT_EQ(rtf.substr(rtf.size() - 7), "\n\\par }");
}

// The data loss of old among them: --save and --rtf on one file, and an
// --rtf that exists, are refused before any bot runs; the file keeps every byte.
TEST(JabberyCli, RefusesBadCountsFoldersOptionsAndOutputsWithOneLineAndExitCodeTwo) {
    TempFolder root;
    const std::string a = MakeScriptBot(root, "a", "A", "touch ran");
    const std::string old = root.File("old.txt"), fresh = root.File("new.txt");
    WriteFile(old, "OLD\r\n");
    const std::vector<std::vector<std::string>> bad = {
        {a},
        {a, root.File("nothing-here")},
        {a, a, "--turns", "x"},
        {a, a, "--frobnicate"},
        std::vector<std::string>(16, a),
        {a, a, "--save", old, "--rtf", old},
        {a, a, "--rtf", old},
        {a, a, "--save", fresh, "--rtf", fresh},
    };
    for (const auto& arguments : bad) {
        const auto run = RunCli(root, arguments);
        EXPECT_EQ(run.m_status, 2) << arguments.back();
        EXPECT_EQ(CountLines(run.m_err), 1u) << run.m_err;
        EXPECT_EQ(run.m_err.rfind("jabbery-cli: ", 0), 0u) << run.m_err;
        EXPECT_TRUE(run.m_out.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(a + "/ran") || std::filesystem::exists(fresh));
    EXPECT_EQ(ReadFile(old), "OLD\r\n");
}

// The interrupted turn adds no line: the bot never finished saying anything.
TEST(JabberyCli, InterruptEndsTheTurnInFlightKillsTheBotAndStillSaves) {
    TempFolder root;
    const std::string slow = MakeScriptBot(
        root, "slow", "Slow", "echo $$ > group; printf 'cut short\\n' > chat.msg; sleep 1000");
    const std::string b = MakeScriptBot(root, "b", "B", "true");
    const std::string save = root.File("t.txt");
    const pid_t pid = StartCli({"--interval", "0", "--save", save, slow, b});
    ASSERT_GE(pid, 0);
    ASSERT_TRUE(Eventually([&] { return !TrimmedFile(slow + "/group").empty(); }, 30));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto interrupted = std::chrono::steady_clock::now();
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::seconds(10));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const long group = std::stol(ReadFile(slow + "/group"));
    EXPECT_TRUE(Eventually([&] { return !GroupHasLiveProcess(group); }))
        << "the bot's process group survived";
    const std::string saved = ReadFile(save);
    EXPECT_NE(saved.find(slow + "/\r\n" + b + "/\r\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("SLOW>"), std::string::npos) << saved;
}

TEST(JabberyCli, TheBundledBotsHoldATwentyTurnConversation) {
    TempFolder root;
    const std::string user_bots = root.File("data/jabbery/bots");
    ScopedVariable data_home("XDG_DATA_HOME", root.File("data"));
    const auto run = RunCli(root, {"--turns", "20", "--interval", "0", "hask", "wren"});
    ASSERT_EQ(run.m_status, 0) << run.m_err;
    EXPECT_EQ(run.m_out.rfind(user_bots + "/hask/\n" + user_bots + "/wren/\nHASK> ", 0), 0u)
        << run.m_out;
    EXPECT_EQ(CountLines(run.m_out), 2u + 20u);
    EXPECT_EQ(run.m_out.find("> \n"), std::string::npos) << "a sample bot gave no answer";
    EXPECT_NE(ReadFile(user_bots + "/hask/vorn.nfo").find("/lib/jabbery/bots/hask/hask'\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace jabbery
