#include "platform/growing_file.h"

#include <gtest/gtest.h>

#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

TEST(GrowingFile, IsCreatedOnlyAfreshAndGrowsByWhatIsAppended) {
    TempFolder root;
    GrowingFile file;
    std::string error;
    ASSERT_TRUE(file.Create(root.File("a/b"), "x.txt", error)) << error;
    ASSERT_TRUE(file.Append("one\r\n", error) && file.Append("two\r\n", error)) << error;
    EXPECT_EQ(ReadFile(root.File("a/b/x.txt")), "one\r\ntwo\r\n");
    GrowingFile again;
    EXPECT_FALSE(again.Create(root.File("a/b"), "x.txt", error));
    EXPECT_NE(error.find("a/b/x.txt"), std::string::npos) << error;
}

TEST(PruneOldFiles, KeepsTheNewestTextFilesAndAnyStillBeingWritten) {
    TempFolder root;
    GrowingFile in_use;
    std::string error;
    ASSERT_TRUE(in_use.Create(root.Path(), "00-in-use.txt", error)) << error;
    const auto now = std::filesystem::file_time_type::clock::now();
    std::filesystem::last_write_time(in_use.Path(), now - std::chrono::hours(100));
    for (int i = 1; i <= 23; ++i) {
        const std::string path = root.File(std::to_string(i) + ".txt");
        WriteFile(path, "x");
        std::filesystem::last_write_time(path, now - std::chrono::minutes(60 - i));
    }
    WriteFile(root.File("notes.log"), "x");
    std::filesystem::last_write_time(root.File("notes.log"), now - std::chrono::hours(200));
    PruneOldFiles(root.Path(), 20);
    for (int i = 1; i <= 23; ++i) {
        EXPECT_EQ(std::filesystem::exists(root.File(std::to_string(i) + ".txt")), i > 3) << i;
    }
    EXPECT_TRUE(std::filesystem::exists(in_use.Path()));
    EXPECT_TRUE(std::filesystem::exists(root.File("notes.log")));
}

}  // namespace
}  // namespace jabbery
