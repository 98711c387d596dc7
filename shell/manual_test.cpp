#include "shell/manual.h"

#include <gtest/gtest.h>

#include "engine/test_bots.h"

namespace jabbery {
namespace {

using testing::TempFolder;

TEST(FindManual, TakesTheWorkingFoldersCopyThenTheProgramsThenTheInstalledOne) {
    TempFolder root;
    const std::string working = root.File("work");
    const std::string program = root.File("prefix/bin");
    const std::string prefix = root.File("prefix/share/jabbery");
    for (const std::string& folder : {working, program, prefix}) {
        std::filesystem::create_directories(folder);
    }
    const auto find = [&] { return FindManual(ManualCandidates(working, program)); };
    EXPECT_EQ(find(), "");
    // A copy in each place from the last to the first: each wins over those after it.
    for (const std::string& folder : {prefix, program, working}) {
        testing::WriteFile(folder + "/jabbhelp.html", "x");
        EXPECT_EQ(find(), folder + "/jabbhelp.html");
    }
    // A folder is no copy.
    EXPECT_EQ(FindManual({root.Path()}), "");
}

}  // namespace
}  // namespace jabbery
