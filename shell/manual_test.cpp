#include "shell/manual.h"

#include <gtest/gtest.h>

#include "engine/test_bots.h"

namespace jabbery {
namespace {

using testing::TempFolder;

TEST(FindManual, TakesTheWorkingFoldersCopyThenTheProgramsThenTheInstalledOnes) {
    TempFolder root;
    const std::string working = root.File("work");
    const std::string program = root.File("prefix/bin");
    const std::string installed = root.File("elsewhere/share/jabbery");
    const std::string prefix = root.File("prefix/share/jabbery");
    for (const std::string& folder : {working, program, prefix, installed}) {
        std::filesystem::create_directories(folder);
    }
    const auto find = [&] { return FindManual(ManualCandidates(working, program, installed)); };
    EXPECT_EQ(find(), "");
    // A copy in each place from the last to the first: each wins over those after it.
    for (const std::string& folder : {installed, prefix, program, working}) {
        testing::WriteFile(folder + "/jabbhelp.html", "x");
        EXPECT_EQ(find(), folder + "/jabbhelp.html");
    }
    // A folder is no copy.
    EXPECT_EQ(FindManual({root.Path()}), "");
}

}  // namespace
}  // namespace jabbery
