// SPDX-License-Identifier: MIT
#include "transcript/transcript_autosave.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace jabbery {
namespace {

// The bytes the file holds are checked on the running window (shell/autosave_test.cpp).
TEST(ConversationsFolder, FollowsXdgStateHomeElseHome) {
    ::setenv("HOME", "/home/u", 1);
    ::setenv("XDG_STATE_HOME", "/state", 1);
    EXPECT_EQ(ConversationsFolder(), "/state/jabbery/conversations");
    ::setenv("XDG_STATE_HOME", "relative", 1);
    EXPECT_EQ(ConversationsFolder(), "/home/u/.local/state/jabbery/conversations");
}

}  // namespace
}  // namespace jabbery
