// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <regex>

#include "cli/batch_plan.h"
#include "cli/test_cli_run.h"
#include "engine/test_bots.h"

namespace jabbery {
namespace {

using namespace testing;

// A batch stopped by SIGTERM and run again with --continue-partial does
// each seed once, and each interrupted conversation goes on to the turns
// the same seed gives in one uninterrupted run.
TEST(BatchContinue, AnInterruptedConversationGoesOnAsOneUninterruptedRun) {
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
        MakeScriptBot(root, "c", "Cy", "sleep 0.1; " + after("Cy"))};
    const auto batch = [&](const std::string& out, std::vector<std::string> more) {
        std::vector<std::string> arguments = {
            "--batch", "6", "--seed", "3", "--out", root.File(out), "--turns", "16", "--jobs", "2"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        arguments.insert(arguments.end(), bots.begin(), bots.end());
        return arguments;
    };
    ASSERT_EQ(RunCli(root, batch("whole", {})).m_status, 0);

    const std::string manifest = root.File("parts/manifest.jsonl");
    const pid_t stopped = StartCli(batch("parts", {}));
    // Stopped once one conversation is done and another is part-way.
    const auto part_way = [&] {
        std::error_code not_yet;  // the folder is made as the batch starts
        for (const auto& entry : std::filesystem::directory_iterator(root.File("parts"), not_yet)) {
            const std::string path = entry.path().string();
            if (entry.path().extension() == ".jsonl" && entry.path().stem() != "manifest" &&
                !LogIsFinished(path) && ReadFile(path).find("\"turn\":2,") != std::string::npos)
                return CountLines(ReadFile(manifest)) >= 1;
        }
        return false;
    };
    ASSERT_TRUE(Eventually(part_way, 60));
    kill(stopped, SIGTERM);
    EXPECT_EQ(WaitForCli(stopped), 128 + SIGTERM);
    ASSERT_LT(CountLines(ReadFile(manifest)), 6u) << "the batch ended before it was stopped";
    const CliOutcome again = RunCli(root, batch("parts", {"--continue-partial"}));
    EXPECT_EQ(again.m_status, 0) << again.m_err;

    EXPECT_EQ(ManifestSeeds(manifest), (std::set<unsigned>{3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(CountLines(ReadFile(manifest)), 6u);
    std::size_t continued = 0;
    for (const std::string seed : {"3", "4", "5", "6", "7", "8"}) {
        const std::string log = root.File("parts/" + seed + ".jsonl");
        // Continued from some turns, not from none.
        continued += std::regex_search(ReadFile(log), std::regex("\"continued\":[1-9]"));
        const std::vector<std::string> turns = TurnsOf(log);
        EXPECT_EQ(turns.size(), 16u) << seed;
        EXPECT_EQ(turns, TurnsOf(root.File("whole/" + seed + ".jsonl"))) << seed;
    }
    EXPECT_GT(continued, 0u);
}

}  // namespace
}  // namespace jabbery
