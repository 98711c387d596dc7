// SPDX-License-Identifier: MIT
#include "platform/self_location.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace jabbery {
namespace {

TEST(ProgramFolder, IsTheFolderOfThisVeryExecutable) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder, std::filesystem::canonical(folder).string());
    // The tests are built inside the build folder, wherever in it.
    const std::string build = std::filesystem::canonical(JABBERY_BUILD_DIR).string();
    EXPECT_EQ(folder.substr(0, build.size()), build);
}

TEST(DataHomeFrom, TakesAnAbsoluteXdgDataHomeElseTheDefaultUnderHome) {
    EXPECT_EQ(DataHomeFrom("/data/./", "/home/ann"), "/data");
    EXPECT_EQ(DataHomeFrom("/data", nullptr), "/data");
    EXPECT_EQ(DataHomeFrom(nullptr, "/home/ann"), "/home/ann/.local/share");
    EXPECT_EQ(DataHomeFrom("", "/home/ann/"), "/home/ann/.local/share");
    EXPECT_EQ(DataHomeFrom("relative/data", "/home/ann"), "/home/ann/.local/share");
    EXPECT_EQ(DataHomeFrom(nullptr, "relative"), "");
    EXPECT_EQ(DataHomeFrom(nullptr, nullptr), "");
}

}  // namespace
}  // namespace jabbery
