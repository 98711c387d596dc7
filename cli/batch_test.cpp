// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>

#include <regex>

#include "cli/batch_plan.h"
#include "cli/test_cli_run.h"
#include "engine/test_bots.h"

namespace jabbery {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// What `pattern`'s first group finds in `text`, each time.
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
        const std::string pids = root.File("pids"), logs = root.File("logs");
        const std::string a = MakeScriptBot(root, "a", "Ann", RecordAndAnswer("hello"));
        const std::string b =
            MakeScriptBot(root, "b", "Bob",
                          "echo $$ >> " + Quote(pids) + "; sleep 0.1; " + RecordAndAnswer("hi"));
        const std::vector<std::string> arguments = {"--batch", "12",     "--out", logs, "--turns",
                                                    "6",       "--jobs", "3",     a,    b};
        const std::string manifest = logs + "/manifest.jsonl";
        const pid_t batch = StartCli(arguments);
        ASSERT_TRUE(Eventually([&] { return CountLines(ReadFile(manifest)) >= 2; }, 60));
        kill(batch, signal);
        EXPECT_EQ(WaitForCli(batch), signal == SIGTERM ? 128 + SIGTERM : -1);
        const std::size_t done = CountLines(ReadFile(manifest));
        ASSERT_LT(done, 12u) << "the batch ended before it was stopped";
        if (signal == SIGTERM) {
            for (const std::string& pid : Found(ReadFile(pids), "([0-9]+)\n")) {
                EXPECT_TRUE(Eventually([&] { return !GroupHasLiveProcess(std::stol(pid)); }, 2));
            }
            std::size_t interrupted = 0;
            for (const auto& entry : fs::directory_iterator(logs)) {
                EXPECT_NE(entry.path().extension(), ".bots") << entry.path();
                interrupted += entry.path().stem() != "manifest" && !LogIsFinished(entry.path());
            }
            EXPECT_GT(interrupted, 0u);
        }
        const CliOutcome again = RunCli(root, arguments);
        EXPECT_EQ(again.m_status, 0) << again.m_err;
        const std::string rest = std::to_string(12 - done);
        EXPECT_EQ(again.m_out, "12 conversations: " + rest + " done, " + std::to_string(done) +
                                   " skipped (done before), 0 failed, 0 interrupted; ended by "
                                   "turns " +
                                   rest + "\n");
        EXPECT_EQ(ManifestSeeds(manifest).size(), CountLines(ReadFile(manifest)));
        EXPECT_EQ(std::distance(fs::directory_iterator(logs), {}), 13);  // logs and manifest
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
    std::vector<std::string> batch = {"--batch",         "4",       "--seed", "7",      "--out",
                                      root.File("logs"), "--turns", "15",     "--jobs", "4"};
    batch.insert(batch.end(), bots.begin(), bots.end());
    ASSERT_EQ(RunCli(root, batch).m_status, 0);
    EXPECT_FALSE(fs::exists(bots[0] + "/memory"));
    for (const std::string seed : {"7", "8", "9", "10"}) {
        const std::string log = ReadFile(root.File("logs/" + seed + ".jsonl"));
        EXPECT_NE(log.find("\"folder\":\"" + root.File("logs/" + seed + ".bots/1-a/\"")),
                  std::string::npos);
        std::vector<std::string> alone = {"--seed",     seed, "--turns", "15",
                                          "--interval", "0",  "--jsonl", root.File(seed)};
        alone.insert(alone.end(), bots.begin(), bots.end());
        ASSERT_EQ(RunCli(root, alone).m_status, 0);
        const std::string speaker = "\"name\":\"([A-Za-z]+)\"";
        EXPECT_EQ(Found(log, speaker), Found(ReadFile(root.File(seed)), speaker)) << seed;
        const std::vector<std::string> counts =
            Found(log, "\"name\":\"Ann\",\"text\":\"([0-9]+)\"");
        ASSERT_GT(counts.size(), 2u);
        for (std::size_t i = 0; i < counts.size(); ++i) EXPECT_EQ(counts[i], std::to_string(i + 1));
    }
}

}  // namespace
}  // namespace jabbery
