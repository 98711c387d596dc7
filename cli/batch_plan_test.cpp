// SPDX-License-Identifier: MIT
#include "cli/batch_plan.h"

#include <gtest/gtest.h>

#include <map>

#include "cli/options.h"
#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

using namespace testing;

TEST(BatchOptions, ReadsABatchWithoutAPauseAndRefusesWhatABatchCannotDo) {
    CliOptions options;
    std::string error;
    ASSERT_EQ(ParseCliOptions({"--batch", "8", "--out", "d", "--turns", "3", "--shard", "1/4",
                               "--jobs", "2", "a", "b"},
                              options, error),
              OptionsEnd::kRun)
        << error;
    EXPECT_EQ(options.m_batch, 8);
    EXPECT_EQ(options.m_interval.count(), 0);
    EXPECT_EQ(options.m_shard->m_index, 1);
    EXPECT_EQ(options.m_shard->m_count, 4);
    const std::vector<std::string> batch = {"--batch", "2", "--out", "d", "--turns", "1", "a"};
    const std::vector<std::vector<std::string>> bad = {
        {"--out", "d", "a"},
        {"--jobs", "2", "a"},
        {"--batch", "2", "--turns", "1", "a"},
        {"--batch", "0"},
        {"--batch", "2", "--out", "d", "a"},
        {"--shard", "4/4"},
        {"--join"},
        {"--save", "t.txt"},
        {"--check"},
    };
    for (std::vector<std::string> arguments : bad) {
        if (arguments[0] != "--out" && arguments[0] != "--jobs" && arguments[0] != "--batch") {
            arguments.insert(arguments.begin(), batch.begin(), batch.end());
        }
        CliOptions refused;
        EXPECT_EQ(ParseCliOptions(arguments, refused, error), OptionsEnd::kError)
            << arguments.back();
    }
}

TEST(BatchPlan, AShardIsReadFromIKOrFromASlurmArrayOfOneRange) {
    EXPECT_EQ(ReadShard("3/4")->m_index, 3);
    for (const char* bad : {"4/4", "1/0", "-1/2", "1", "1/2/3", "a/2", "/2"}) {
        EXPECT_FALSE(ReadShard(bad)) << bad;
    }
    struct Case {
        std::map<std::string, std::string> variables;
        long long index, count;  // -1: outside an array; -2: refused
    };
    const std::vector<Case> cases = {
        {{}, -1, 0},
        {{{"SLURM_ARRAY_TASK_ID", "2"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}, 2, 4},
        {{{"SLURM_ARRAY_TASK_ID", "5"},
          {"SLURM_ARRAY_TASK_MIN", "3"},
          {"SLURM_ARRAY_TASK_MAX", "6"}},
         2,
         4},
        {{{"SLURM_ARRAY_TASK_ID", "4"},
          {"SLURM_ARRAY_TASK_COUNT", "4"},
          {"SLURM_ARRAY_TASK_MIN", "0"},
          {"SLURM_ARRAY_TASK_MAX", "15"},
          {"SLURM_ARRAY_TASK_STEP", "4"}},
         -2,
         0},
        {{{"SLURM_ARRAY_TASK_ID", "7"},
          {"SLURM_ARRAY_TASK_COUNT", "3"},
          {"SLURM_ARRAY_TASK_MIN", "0"},
          {"SLURM_ARRAY_TASK_MAX", "7"}},
         -2,
         0},
        {{{"SLURM_ARRAY_TASK_ID", "1"}}, -2, 0},
        {{{"SLURM_ARRAY_TASK_ID", "x"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}, -2, 0},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto shard = SlurmShard(
            [&](const char* name) {
                const auto found = c.variables.find(name);
                return found == c.variables.end() ? nullptr : found->second.c_str();
            },
            error);
        EXPECT_EQ(shard ? shard->m_index : error.empty() ? -1 : -2, c.index) << error;
        if (shard) {
            EXPECT_EQ(shard->m_count, c.count);
        }
    }
    EXPECT_EQ(ShardSeeds(10, 7, Shard{1, 3}), (std::vector<unsigned>{11, 14}));
}

TEST(BatchPlan, ALogIsFinishedWhenItsLastLineEndsItOtherThanInterrupted) {
    TempFolder root;
    const std::string turn = "{\"turn\":1,\"text\":\"x\"}\n";
    const std::vector<std::pair<std::string, bool>> logs = {
        {turn + "{\"end\":\"turns\",\"turns\":1}\n", true},
        {turn + "{\"end\":\"loop\",\"turns\":1}", true},
        {turn + "{\"end\":\"interrupted\",\"turns\":1}\n", false},
        {turn, false},
        {turn + "{\"end\":\"tur", false},
        {"", false},
    };
    for (const auto& [log, finished] : logs) {
        WriteFile(root.File("1.jsonl"), log);
        EXPECT_EQ(LogIsFinished(root.File("1.jsonl")), finished) << log;
    }
    EXPECT_FALSE(LogIsFinished(root.File("none.jsonl")));
    WriteFile(root.File("m.jsonl"), "{\"seed\":3}\n{\"seed\":5,\"turns\":2}\n{\"se");
    EXPECT_EQ(ManifestSeeds(root.File("m.jsonl")), (std::set<unsigned>{3, 5}));
}

}  // namespace
}  // namespace jabbery
