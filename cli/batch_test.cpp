// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <regex>
#include <sstream>

#include "cli/batch_plan.h"
#include "cli/test_cli_run.h"
#include "engine/test_bots.h"

namespace jabbery {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// The lines of `text` that `pattern` finds, each as its first group.
std::vector<std::string> Found(const std::string& text, const std::string& pattern) {
    std::vector<std::string> found;
    const std::regex expression(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), expression), end; it != end; ++it) {
        found.push_back((*it)[1]);
    }
    return found;
}

// Stopped with SIGTERM, a batch ends its conversations' logs "interrupted"
// and leaves no bot running and no folder copy; killed outright it leaves
// copies. Either way, run again it does each seed once.
TEST(BatchCli, AStoppedOrKilledBatchRunAgainDoesEverySeedOnce) {
    for (const int signal : {SIGTERM, SIGKILL}) {
        TempFolder root;
        const std::string pids = root.File("pids");
        const std::string a = MakeScriptBot(root, "a", "Ann", RecordAndAnswer("hello"));
        const std::string b =
            MakeScriptBot(root, "b", "Bob",
                          "echo $$ >> " + Quote(pids) + "; sleep 0.1; " + RecordAndAnswer("hi"));
        const std::vector<std::string> arguments = {
            "--batch", "12", "--out", root.File("logs"), "--turns", "6", "--jobs", "3", a, b};
        const std::string manifest = root.File("logs/manifest.jsonl");
        const pid_t batch = StartCli(arguments);
        ASSERT_TRUE(Eventually([&] { return CountLines(ReadFile(manifest)) >= 2; }, 60));
        kill(batch, signal);
        int status = 0;
        waitpid(batch, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) || WEXITSTATUS(status) == 128 + SIGTERM) << status;
        const std::size_t done = CountLines(ReadFile(manifest));
        ASSERT_LT(done, 12u) << "the batch ended before it was stopped";
        if (signal == SIGTERM) {
            for (const std::string& pid : Found(ReadFile(pids), "([0-9]+)\n")) {
                EXPECT_TRUE(Eventually([&] { return !GroupHasLiveProcess(std::stol(pid)); }, 2));
            }
            std::string interrupted;
            for (const auto& entry : fs::directory_iterator(root.File("logs"))) {
                EXPECT_NE(entry.path().extension(), ".bots") << entry.path();
                if (!LogIsFinished(entry.path())) interrupted += entry.path().string();
            }
            EXPECT_NE(interrupted.find(".jsonl"), std::string::npos);
        }
        const CliOutcome again = RunCli(root, arguments);
        EXPECT_EQ(again.m_status, 0) << again.m_err;
        EXPECT_EQ(again.m_out, "12 conversations: " + std::to_string(12 - done) + " done, " +
                                   std::to_string(done) +
                                   " skipped (done before), 0 failed, 0 interrupted; ended by "
                                   "turns " +
                                   std::to_string(12 - done) + "\n");
        EXPECT_EQ(CountLines(ReadFile(manifest)), 12u);
        EXPECT_EQ(ManifestSeeds(manifest).size(), 12u);
        EXPECT_EQ(std::distance(fs::directory_iterator(root.File("logs")), {}), 13);
    }
}

// Conversations running side by side each have the speakers of their own
// seed, as one conversation with that seed has, and each bot's memory (a
// file in its folder) is the one of its own copy.
TEST(BatchCli, EachConversationHasItsSeedsSpeakersAndBotsOfItsOwn) {
    TempFolder root;
    // Answers how many times this copy of the bot has spoken.
    const auto counting = "echo x >> memory; printf '%s\\r\\n' $(wc -l < memory) > chat.msg";
    const std::vector<std::string> bots = {MakeScriptBot(root, "a", "Ann", counting),
                                           MakeScriptBot(root, "b", "Bob", counting),
                                           MakeScriptBot(root, "c", "Cy", counting)};
    std::vector<std::string> arguments = {"--batch",         "4",       "--seed", "7",      "--out",
                                          root.File("logs"), "--turns", "15",     "--jobs", "4"};
    arguments.insert(arguments.end(), bots.begin(), bots.end());
    const CliOutcome batch = RunCli(root, arguments);
    ASSERT_EQ(batch.m_status, 0) << batch.m_err;
    EXPECT_FALSE(fs::exists(bots[0] + "/memory"));
    for (unsigned seed = 7; seed < 11; ++seed) {
        const std::string log = ReadFile(root.File("logs/" + std::to_string(seed) + ".jsonl"));
        const std::string single_log = root.File("single" + std::to_string(seed));
        std::vector<std::string> single = {
            "--seed",  std::to_string(seed), "--turns", "15", "--interval", "0", "--jsonl",
            single_log};
        single.insert(single.end(), bots.begin(), bots.end());
        ASSERT_EQ(RunCli(root, single).m_status, 0);
        const std::string speaker = "\"name\":\"([A-Za-z]+)\"";
        EXPECT_EQ(Found(log, speaker), Found(ReadFile(single_log), speaker)) << seed;
        // Ann's answers in this conversation count from one.
        std::vector<std::string> expected;
        for (const std::string& count : Found(log, "\"name\":\"Ann\",\"text\":\"([0-9]+)\"")) {
            expected.push_back(std::to_string(expected.size() + 1));
            EXPECT_EQ(count, expected.back());
        }
        EXPECT_GT(expected.size(), 2u);
    }
}

}  // namespace
}  // namespace jabbery
