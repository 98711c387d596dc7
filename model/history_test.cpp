#include "model/history.h"

#include <gtest/gtest.h>

#include "model/test_server.h"

namespace jabbery::model {
namespace {

using testing::ReadFileBytes;
using testing::WriteFileBytes;

TEST(History, AppendsAndKeepsOnlyTheNewestEntries) {
    testing::TempFolder folder;
    const auto path = folder.Path() / kHistoryFile;
    EXPECT_TRUE(ReadHistory(path).exchanges.empty());
    std::string error;
    for (int i = 1; i <= 5; ++i) {
        const auto earlier = ReadHistory(path).exchanges;
        ASSERT_TRUE(AppendHistory(path, earlier, {"h" + std::to_string(i), "s" + std::to_string(i)},
                                  error, 3))
            << error;
    }
    const HistoryRead read = ReadHistory(path);
    EXPECT_TRUE(read.warning.empty());
    ASSERT_EQ(read.exchanges.size(), 3u);
    EXPECT_EQ(read.exchanges.front().heard, "h3");
    EXPECT_EQ(read.exchanges.back().said, "s5");
    EXPECT_EQ(ReadFileBytes(path),
              "{\"heard\":\"h3\",\"said\":\"s3\"}\n"
              "{\"heard\":\"h4\",\"said\":\"s4\"}\n"
              "{\"heard\":\"h5\",\"said\":\"s5\"}\n");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "model.history.jsonl.new"));
}

TEST(History, SetsADamagedFileAside) {
    testing::TempFolder folder;
    const auto path = folder.Path() / kHistoryFile;
    const std::string damaged = "{\"heard\":\"a\",\"said\":\"b\"}\n{\"heard\":\"a\"}\n";
    WriteFileBytes(path, damaged);
    const HistoryRead read = ReadHistory(path);
    EXPECT_TRUE(read.exchanges.empty());
    EXPECT_NE(read.warning.find("line 2"), std::string::npos) << read.warning;
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(ReadFileBytes(folder.Path() / "model.history.jsonl.bad"), damaged);
}

}  // namespace
}  // namespace jabbery::model
