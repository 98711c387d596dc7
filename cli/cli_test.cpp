#include <fcntl.h>
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

using Outcome = testing::CliOutcome;
using testing::CountLines;
using testing::ReadFile;
using testing::RunCli;
using testing::TempFolder;

TEST(JabberyCli, RunsTheTurnsAndSavesTheBannerAndEveryLine) {
    TempFolder root;
    const std::string a =
        testing::MakeScriptBot(root, "a", "Ann", testing::RecordAndAnswer("hello"));
    const std::string b = testing::MakeScriptBot(root, "b", "Bob", testing::RecordAndAnswer("hi"));
    const Outcome run = RunCli(root, {"--turns", "6", "--interval", "0", "--save",
                                      root.File("t.txt"), "--rtf", root.File("t.rtf"), a, b});
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

TEST(JabberyCli, RefusesBadCountsFoldersAndOptionsWithOneLineAndExitCodeTwo) {
    TempFolder root;
    const std::string a = testing::MakeScriptBot(root, "a", "A", "touch ran");
    const std::vector<std::vector<std::string>> bad = {
        {a},
        {a, root.File("nothing-here")},
        {a, a, "--turns", "x"},
        {a, a, "--frobnicate"},
        std::vector<std::string>(16, a),
    };
    for (const auto& arguments : bad) {
        const Outcome run = RunCli(root, arguments);
        EXPECT_EQ(run.m_status, 2) << arguments.back();
        EXPECT_EQ(CountLines(run.m_err), 1u) << run.m_err;
        EXPECT_EQ(run.m_err.rfind("jabbery-cli: ", 0), 0u) << run.m_err;
        EXPECT_TRUE(run.m_out.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(a + "/ran"));
}

// The interrupted turn adds no line: the bot never finished saying anything.
TEST(JabberyCli, InterruptEndsTheTurnInFlightKillsTheBotAndStillSaves) {
    TempFolder root;
    const std::string slow = testing::MakeScriptBot(
        root, "slow", "Slow", "echo $$ > group; printf 'cut short\\n' > chat.msg; sleep 1000");
    const std::string b = testing::MakeScriptBot(root, "b", "B", "true");
    const std::string save = root.File("t.txt");

    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int out = open(root.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        execl(JABBERY_CLI, JABBERY_CLI, "--interval", "0", "--save", save.c_str(), slow.c_str(),
              b.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Wait until the slow bot is running, then interrupt.
    for (int i = 0; i < 300 && !std::filesystem::exists(slow + "/group"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto interrupted = std::chrono::steady_clock::now();
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::seconds(10));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const long group = std::stol(ReadFile(slow + "/group"));
    EXPECT_TRUE(testing::Eventually([&] { return !testing::GroupHasLiveProcess(group); }))
        << "the bot's process group survived";
    const std::string saved = ReadFile(save);
    EXPECT_NE(saved.find(slow + "/\r\n" + b + "/\r\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("SLOW>"), std::string::npos) << saved;
}

TEST(JabberyCli, TheSampleBotsHoldATwentyTurnConversation) {
    std::vector<std::string> bots;
    for (const auto& entry : std::filesystem::directory_iterator(BOTS_DIR)) {
        if (std::filesystem::exists(entry.path() / "vorn.nfo")) bots.push_back(entry.path());
    }
    ASSERT_GE(bots.size(), 3u) << "the sample bots are not built in " << BOTS_DIR;
    std::sort(bots.begin(), bots.end());
    TempFolder root;
    const Outcome run = RunCli(
        root, {"--turns", "20", "--interval", "0", "--save", root.File("t.txt"), bots[0], bots[1]});
    ASSERT_EQ(run.m_status, 0) << run.m_err;
    const std::string saved = ReadFile(root.File("t.txt"));
    EXPECT_EQ(CountLines(saved), 3u + 2u + 20u);
    EXPECT_EQ(saved.find("> \r\n"), std::string::npos) << "a sample bot gave no answer";
}

TEST(JabberyCli, BundledBotsAnswerByNameFromTheUsersOwnCopies) {
    TempFolder root;
    const std::string user_bots = root.File("data/jabbery/bots");
    testing::ScopedVariable data_home("XDG_DATA_HOME", root.File("data"));
    const Outcome run = RunCli(root, {"--turns", "4", "--interval", "0", "hask", "wren"});
    ASSERT_EQ(run.m_status, 0) << run.m_err;
    EXPECT_EQ(run.m_out.rfind(user_bots + "/hask/\n" + user_bots + "/wren/\nHASK> ", 0), 0u)
        << run.m_out;
    EXPECT_EQ(CountLines(run.m_out), 2u + 4u);
    EXPECT_NE(ReadFile(user_bots + "/hask/vorn.nfo").find("/lib/jabbery/bots/hask/hask'\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace jabbery
