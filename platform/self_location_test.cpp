// SPDX-License-Identifier: MIT
#include "platform/self_location.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace jabbery {
namespace {

TEST(SelfLocation, ProgramFolderIsThisExecutablesAndTheDataHomeFollowsTheXdgRules) {
    // The tests are built somewhere inside the build folder.
    const std::string build = std::filesystem::canonical(JABBERY_BUILD_DIR).string();
    EXPECT_EQ(ProgramFolder().substr(0, build.size()), build);
    EXPECT_EQ(DataHomeFrom("/data/./", "/home/ann"), "/data");
    EXPECT_EQ(DataHomeFrom(nullptr, "/home/ann/"), "/home/ann/.local/share");
    EXPECT_EQ(DataHomeFrom("relative/data", "/home/ann"), "/home/ann/.local/share");
    EXPECT_EQ(DataHomeFrom("", "relative"), "");
}

}  // namespace
}  // namespace jabbery
