// SPDX-License-Identifier: MIT
#include "platform/growing_file.h"

#include <gtest/gtest.h>

#include "platform/test_temp_folder.h"
#include "platform/text_file.h"

namespace jabbery {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// Files 1 to 23 grow newer with their number; the file in use is the oldest.
TEST(GrowingFile, IsCreatedOnlyAfreshGrowsAndOutlivesPruningWhileItOrItsLogIsInUse) {
    TempFolder root;
    GrowingFile in_use;
    std::string error;
    ASSERT_TRUE(in_use.Create(root.File("a"), "0.txt", error)) << error;
    ASSERT_TRUE(in_use.Append("one\r\n", error) && in_use.Append("two\r\n", error)) << error;
    EXPECT_EQ(ReadFile(in_use.Path()), "one\r\ntwo\r\n");
    EXPECT_FALSE(GrowingFile().Create(root.File("a"), "0.txt", error));
    const auto now = fs::file_time_type::clock::now();
    fs::last_write_time(in_use.Path(), now - std::chrono::hours(100));
    for (int i = 1; i <= 23; ++i) {
        const std::string path = root.File("a/" + std::to_string(i) + ".txt");
        WriteFile(path, "x");
        fs::last_write_time(path, now - std::chrono::minutes(60 - i));
    }
    WriteFile(root.File("a/notes.log"), "x");
    WriteFile(root.File("a/2.jsonl"), "x");  // goes with its transcript
    WriteFile(root.File("a/0.jsonl"), "x");  // stays with the one in use
    // A log another window goes on with keeps itself and its transcript.
    AppendingFile continued;
    ASSERT_TRUE(continued.Open(root.File("a/1.jsonl"), error)) << error;
    PruneOldFiles(root.File("a"), 20);
    for (int i = 1; i <= 23; ++i)
        EXPECT_EQ(fs::exists(root.File("a/" + std::to_string(i) + ".txt")), i > 3 || i == 1) << i;
    EXPECT_TRUE(fs::exists(root.File("a/1.jsonl")));
    EXPECT_FALSE(fs::exists(root.File("a/2.jsonl")));
    EXPECT_TRUE(fs::exists(root.File("a/0.jsonl")));
    EXPECT_TRUE(fs::exists(in_use.Path()));
    EXPECT_TRUE(fs::exists(root.File("a/notes.log")));
}

}  // namespace
}  // namespace jabbery
