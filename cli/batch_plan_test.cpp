// SPDX-License-Identifier: MIT
#include "cli/batch_plan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <sstream>

#include "cli/options.h"
#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

using namespace testing;

TEST(BatchOptions, ReadsABatchWithoutAPauseAndRefusesWhatABatchCannotDo) {
    CliOptions options;
    std::string error;
    ASSERT_EQ(ParseCliOptions({"--batch", "8", "--out", "d", "--turns", "3", "--shard", "1/4", "a"},
                              options, error),
              OptionsEnd::kRun)
        << error;
    EXPECT_EQ(options.m_interval.count(), 0);
    EXPECT_EQ(options.m_shard->m_index, 1);
    const std::vector<std::string> bad = {"--out d",
                                          "--jobs 2",
                                          "--batch 0 --out d --turns 1",
                                          "--batch 2 --out d",
                                          "--batch 2 --turns 1",
                                          "--batch 2 --out d --turns 1 --save t"};
    for (const std::string& line : bad) {
        std::istringstream words(line + " a");
        const std::vector<std::string> arguments{std::istream_iterator<std::string>(words), {}};
        CliOptions fresh;
        EXPECT_EQ(ParseCliOptions(arguments, fresh, error), OptionsEnd::kError) << line;
    }
}

TEST(BatchPlan, AShardIsReadFromIKOrFromASlurmArrayOfOneRange) {
    EXPECT_EQ(ReadShard("3/4")->m_count, 4);
    for (const char* bad : {"4/4", "1/0", "-1/2", "1", "a/2"}) EXPECT_FALSE(ReadShard(bad)) << bad;
    // The array's variables without SLURM_ARRAY_TASK_, and the shard: "" when
    // outside an array, "refused" when refused.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"ID=2 COUNT=4", "shard 2/4"},
        {"ID=5 MIN=3 MAX=6", "shard 2/4"},
        {"ID=4 COUNT=4 MIN=0 MAX=12 STEP=4", "refused"},
        {"ID=7 COUNT=3 MIN=0 MAX=7", "refused"},
        {"ID=1", "refused"},
        {"ID=x COUNT=4", "refused"},
    };
    for (const auto& [variables, expected] : cases) {
        std::map<std::string, std::string> set;
        std::istringstream words(variables);
        for (std::string word; words >> word;) {
            set["SLURM_ARRAY_TASK_" + word.substr(0, word.find('='))] =
                word.substr(word.find('=') + 1);
        }
        std::string error;
        const auto shard = SlurmShard(
            [&](const char* name) { return set.count(name) ? set[name].c_str() : nullptr; }, error);
        EXPECT_EQ(shard ? ShardName(*shard) : error.empty() ? "" : "refused", expected) << error;
    }
    EXPECT_EQ(ShardSeeds(10, 7, Shard{1, 3}), (std::vector<unsigned>{11, 14}));
}

TEST(BatchPlan, ALogIsFinishedWhenItsLastLineEndsItOtherThanInterrupted) {
    TempFolder root;
    const std::string turn = "{\"turn\":1}\n";
    const std::vector<std::pair<std::string, bool>> logs = {
        {turn + "{\"end\":\"turns\"}\n", true},
        {turn + "{\"end\":\"loop\"}", true},
        {turn + "{\"end\":\"interrupted\"}\n", false},
        {turn, false},
        {turn + "{\"end\":\"tur", false},
        {"", false},
    };
    for (const auto& [log, finished] : logs) {
        WriteFile(root.File("1.jsonl"), log);
        EXPECT_EQ(LogIsFinished(root.File("1.jsonl")), finished) << log;
    }
    WriteFile(root.File("m.jsonl"), "{\"seed\":3}\n{\"seed\":5,\"turns\":2}\n{\"se");
    EXPECT_EQ(ManifestSeeds(root.File("m.jsonl")), (std::set<unsigned>{3, 5}));
    // A FIFO under either name holds nothing done, and is not waited on.
    ASSERT_EQ(::mkfifo(root.File("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(LogIsFinished(root.File("fifo")));
    EXPECT_TRUE(ManifestSeeds(root.File("fifo")).empty());
}

}  // namespace
}  // namespace jabbery
