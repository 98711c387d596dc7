#include "transcript/transcript_autosave.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/test_temp_folder.h"
#include "transcript/transcript_file.h"

namespace jabbery {
namespace {

TEST(TranscriptAutosave, WritesTheBannerThenEachAdditionInTheSavedBytes) {
    testing::TempFolder root;
    const ClockSource now = [] { return std::time_t{1796558400}; };
    TranscriptAutosave autosave;
    std::string error;
    ASSERT_TRUE(autosave.Start(root.Path(), CPlainString("/bots/a/\r\n"), now, error)) << error;
    ASSERT_TRUE(autosave.Update(CPlainString("/bots/a/\r\nA> hi\r\n"), error)) << error;
    EXPECT_EQ(testing::ReadFile(autosave.Path()), TranscriptBanner(now) + "/bots/a/\r\nA> hi\r\n");
    EXPECT_NE(autosave.Path().find("_"), std::string::npos);
    EXPECT_TRUE(autosave.Path().ends_with("-" + std::to_string(CurrentProcessId()) + ".txt"));

    // A folder that cannot be made: said, and nothing written afterwards.
    testing::WriteFile(root.File("file"), "");
    TranscriptAutosave blocked;
    EXPECT_FALSE(blocked.Start(root.File("file/sub"), CPlainString(), now, error));
    EXPECT_NE(error.find("file/sub"), std::string::npos) << error;
    EXPECT_FALSE(blocked.Update(CPlainString("x"), error));
}

TEST(ConversationsFolder, FollowsXdgStateHomeElseHome) {
    ::setenv("HOME", "/home/u", 1);
    ::setenv("XDG_STATE_HOME", "/state", 1);
    EXPECT_EQ(ConversationsFolder(), "/state/jabbery/conversations");
    ::setenv("XDG_STATE_HOME", "relative", 1);
    EXPECT_EQ(ConversationsFolder(), "/home/u/.local/state/jabbery/conversations");
}

}  // namespace
}  // namespace jabbery
