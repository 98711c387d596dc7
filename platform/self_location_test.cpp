// SPDX-License-Identifier: MIT
#include "platform/self_location.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace jabbery {
namespace {

TEST(SelfLocation, FindsTheProgramFolderAndFollowsTheXdgRules) {
    // The tests are built somewhere inside the build folder.
    const std::string build = std::filesystem::canonical(JABBERY_BUILD_DIR).string();
    EXPECT_EQ(ProgramFolder().substr(0, build.size()), build);
    EXPECT_EQ(BaseFolderFrom("/data/./", "/home/ann", ".local/share"), "/data");
    EXPECT_EQ(BaseFolderFrom(nullptr, "/home/ann/", ".local/share"), "/home/ann/.local/share");
    EXPECT_EQ(BaseFolderFrom("", "relative", ".local/share"), "");
}

}  // namespace
}  // namespace jabbery
