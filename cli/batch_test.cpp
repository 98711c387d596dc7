// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>

#include <regex>

#include "cli/batch_plan.h"
#include "cli/test_cli_run.h"
#include "engine/test_bots.h"
#include "platform/test_environment.h"

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

// Conversations running side by side each have bots of their own: each
// bot's memory (a file in its folder) is the one of its own copy. (That
// each has the speakers of its own seed: the next test.)
TEST(BatchCli, EachConversationHasBotsOfItsOwn) {
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
        const std::vector<std::string> counts =
            Found(log, "\"name\":\"Ann\",\"text\":\"([0-9]+)\"");
        ASSERT_GT(counts.size(), 2u);
        for (std::size_t i = 0; i < counts.size(); ++i) EXPECT_EQ(counts[i], std::to_string(i + 1));
    }
}

// Stopped with SIGTERM, a batch ends its conversations' logs "interrupted"
// and leaves no bot running and no folder copy; run again with
// --continue-partial, each interrupted conversation goes on. Killed
// outright, it leaves its logs unfinished and the copies; run again, it
// starts those conversations over and removes the copies. Either way each
// seed is done once, to the turns one conversation of that seed run alone
// gives.
TEST(BatchCli, AStoppedOrKilledBatchRunAgainDoesEachSeedAsOneRun) {
    for (const int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(signal);
        TempFolder root;
        // Each answers from the line it was handed, so that its replies depend
        // only on the conversation; Cy is slow, so the batch is stopped mid-way.
        const auto after = [](const std::string& name) {
            return "printf '" + name +
                   " after %s\\r\\n' \"$(sed -n 2p chat.msg | cut -c1-14)\" > chat.msg";
        };
        const std::vector<std::string> bots = {
            MakeScriptBot(root, "a", "Ann", after("Ann")),
            MakeScriptBot(root, "b", "Bob", after("Bob")),
            MakeScriptBot(
                root, "c", "Cy",
                "echo $$ >> " + Quote(root.File("pids")) + "; sleep 0.1; " + after("Cy"))};
        std::vector<std::string> batch = {
            "--batch",          "6",       "--seed", "3",      "--out",
            root.File("parts"), "--turns", "16",     "--jobs", "2"};
        batch.insert(batch.end(), bots.begin(), bots.end());
        const std::string manifest = root.File("parts/manifest.jsonl");
        const pid_t stopped = StartCli(batch);
        // Stopped once one conversation is done and another is part-way.
        const auto part_way = [&] {
            std::error_code not_yet;  // the folder is made as the batch starts
            for (const auto& entry : fs::directory_iterator(root.File("parts"), not_yet)) {
                const std::string path = entry.path().string();
                if (entry.path().extension() == ".jsonl" && entry.path().stem() != "manifest" &&
                    !LogIsFinished(path) && ReadFile(path).find("\"turn\":2,") != std::string::npos)
                    return CountLines(ReadFile(manifest)) >= 1;
            }
            return false;
        };
        ASSERT_TRUE(Eventually(part_way, 60));
        kill(stopped, signal);
        EXPECT_EQ(WaitForCli(stopped), signal == SIGTERM ? 128 + SIGTERM : -1);
        const std::size_t done = CountLines(ReadFile(manifest));
        ASSERT_LT(done, 6u) << "the batch ended before it was stopped";
        if (signal == SIGTERM) {
            for (const std::string& pid : Found(ReadFile(root.File("pids")), "([0-9]+)\n"))
                EXPECT_TRUE(Eventually([&] { return !GroupHasLiveProcess(std::stol(pid)); }, 2));
            for (const auto& entry : fs::directory_iterator(root.File("parts")))
                EXPECT_NE(entry.path().extension(), ".bots") << entry.path();
            batch.push_back("--continue-partial");
        }
        const CliOutcome again = RunCli(root, batch);
        EXPECT_EQ(again.m_status, 0) << again.m_err;
        const std::string rest = std::to_string(6 - done);
        EXPECT_EQ(again.m_out, "6 conversations: " + rest + " done, " + std::to_string(done) +
                                   " skipped (done before), 0 failed, 0 interrupted; ended by "
                                   "turns " +
                                   rest + "\n");

        EXPECT_EQ(ManifestSeeds(manifest), (std::set<unsigned>{3, 4, 5, 6, 7, 8}));
        EXPECT_EQ(CountLines(ReadFile(manifest)), 6u);
        EXPECT_EQ(std::distance(fs::directory_iterator(root.File("parts")), {}), 7);
        std::size_t continued = 0;
        for (const std::string seed : {"3", "4", "5", "6", "7", "8"}) {
            const std::string log = root.File("parts/" + seed + ".jsonl");
            // Ended "interrupted", then continued from some turns, not from none.
            continued += std::regex_search(
                ReadFile(log),
                std::regex("\"end\":\"interrupted\"[^\n]*\n[^\n]*\"continued\":[1-9]"));
            const std::vector<std::string> turns = TurnsOf(log);
            EXPECT_EQ(turns.size(), 16u) << seed;
            std::vector<std::string> alone = {"--seed",     seed, "--turns", "16",
                                              "--interval", "0",  "--jsonl", root.File(seed)};
            alone.insert(alone.end(), bots.begin(), bots.end());
            ASSERT_EQ(RunCli(root, alone).m_status, 0);
            EXPECT_EQ(turns, TurnsOf(root.File(seed))) << seed;
        }
        EXPECT_EQ(continued > 0, signal == SIGTERM);
    }
}

// Two batches started at once on one folder run each seed once between
// them: the other batch's conversation is left alone, not started over on
// its folders and log, and is listed once in the manifest; each batch waits
// for the other's and counts it done, so both succeed.
TEST(BatchCli, TwoBatchesSharingAFolderRunEachSeedOnce) {
    TempFolder root;
    const auto slow = "sleep 0.1; printf 'ok\\r\\n' > chat.msg";
    std::vector<std::string> batch = {"--batch",
                                      "3",
                                      "--out",
                                      root.File("out"),
                                      "--turns",
                                      "6",
                                      "--jobs",
                                      "3",
                                      MakeScriptBot(root, "a", "Ann", slow),
                                      MakeScriptBot(root, "b", "Bob", slow)};
    const pid_t first = StartCli(batch);
    const pid_t second = StartCli(batch);
    EXPECT_EQ(WaitForCli(first), 0);
    EXPECT_EQ(WaitForCli(second), 0);
    const std::string manifest = ReadFile(root.File("out/manifest.jsonl"));
    EXPECT_EQ(CountLines(manifest), 3u) << manifest;
    EXPECT_EQ(ManifestSeeds(root.File("out/manifest.jsonl")), (std::set<unsigned>{1, 2, 3}));
    for (const std::string seed : {"1", "2", "3"}) {
        const std::string log = ReadFile(root.File("out/" + seed + ".jsonl"));
        EXPECT_EQ(Found(log, "(\"format\")").size(), 1u) << log;
        EXPECT_EQ(TurnsOf(root.File("out/" + seed + ".jsonl")).size(), 6u) << seed;
    }
}

// A batch whose threads cannot be started (a stack limit far beyond
// memory makes each one ask for too much) runs its conversations on the
// thread it has and says so, rather than abort.
TEST(BatchCli, ThreadsThatCannotStartLeaveTheBatchToFewer) {
    TempFolder root;
    const auto answer = "printf 'ok\\r\\n' > chat.msg";
    std::vector<std::string> batch = {"--batch", "2", "--out", root.File("logs"), "--turns", "2"};
    for (const char* name : {"Ann", "Bob"})
        batch.push_back(MakeScriptBot(root, name, name, answer));
    const ScopedLimit huge_stacks(RLIMIT_STACK, rlim_t{1} << 50);
    const CliOutcome outcome = RunCli(root, batch);
    EXPECT_EQ(outcome.m_status, 0) << outcome.m_err;
    EXPECT_NE(outcome.m_err.find("only 0 of "), std::string::npos);
    EXPECT_EQ(ManifestSeeds(root.File("logs/manifest.jsonl")), (std::set<unsigned>{1, 2}));
}

}  // namespace
}  // namespace jabbery
