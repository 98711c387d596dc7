// SPDX-License-Identifier: MIT
#include "transcript/transcript_autosave.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/test_environment.h"
#include "platform/test_temp_folder.h"
#include "transcript/transcript_file.h"

namespace jabbery {
namespace {

namespace fs = std::filesystem;
using namespace testing;

const ClockSource kClock = [] { return std::time_t{1'700'000'000}; };

// The bytes the file holds are checked on the running window (shell/autosave_test.cpp).
TEST(ConversationsFolder, FollowsXdgStateHomeElseHome) {
    const ScopedVariable home("HOME", "/home/u");
    for (const auto& [state, folder] :
         {std::pair{"/state", "/state"}, std::pair{"relative", "/home/u/.local/state"}}) {
        const ScopedVariable state_home("XDG_STATE_HOME", state);
        EXPECT_EQ(ConversationsFolder(), std::string(folder) + "/jabbery/conversations");
    }
}

// Turns that find the disk full wait, whole, and go in once there is room;
// the user hears of it once.
TEST(TranscriptAutosave, AFullDiskLeavesWholeLinesAndTheFileCatchesUpWhenThereIsRoom) {
    TempFolder root;
    TranscriptAutosave autosave;
    std::string error;
    ASSERT_TRUE(autosave.Start(root.Path(), "A/\r\nB/\r\n", kClock, error)) << error;
    const std::string kept = TranscriptBanner(kClock()) + "A/\r\nB/\r\n";
    const std::string turns = "A/\r\nB/\r\nA> " + std::string(200, 'x') + "\r\n";
    {
        const ScopedLimit full(RLIMIT_FSIZE, kept.size() + 10);
        EXPECT_FALSE(autosave.Update(turns, error));
        EXPECT_NE(error.find("File too large"), std::string::npos) << error;
        error.clear();
        EXPECT_FALSE(autosave.Update(turns + "B> y\r\n", error));
        EXPECT_EQ(error, "");
        EXPECT_EQ(ReadFile(autosave.Path()), kept);
    }
    EXPECT_TRUE(autosave.Update(turns + "B> y\r\n", error)) << error;
    EXPECT_EQ(ReadFile(autosave.Path()), TranscriptBanner(kClock()) + turns + "B> y\r\n");
}

// What takes the file's name during the run is not written to: a link to
// another file, or nothing at all (the user deleted the file).
TEST(TranscriptAutosave, WritesOnlyToTheFileItMadeWhateverTakesItsNameLater) {
    for (const bool link : {true, false}) {
        SCOPED_TRACE(link ? "a link in its place" : "deleted");
        TempFolder root;
        WriteFile(root.File("victim"), "mine\n");
        TranscriptAutosave autosave;
        std::string error;
        ASSERT_TRUE(autosave.Start(root.File("kept"), "A/\r\n", kClock, error)) << error;
        fs::remove(autosave.Path());
        if (link) fs::create_symlink(root.File("victim"), autosave.Path());
        EXPECT_TRUE(autosave.Update("A/\r\nA> hi\r\n", error)) << error;
        EXPECT_EQ(ReadFile(root.File("victim")), "mine\n");
        EXPECT_EQ(fs::exists(fs::symlink_status(autosave.Path())), link);
    }
}

}  // namespace
}  // namespace jabbery
