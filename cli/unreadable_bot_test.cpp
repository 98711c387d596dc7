// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/test_cli_run.h"
#include "engine/test_bots.h"

namespace jabbery {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// A bot folder that cannot be listed, or whose vorn.nfo cannot be read, is
// named so by --check, --try and a conversation: not as a folder without a
// vorn.nfo. Permissions bind only a user who is not root: run as `nobody`.
TEST(UnreadableBot, IsNamedWithThePermissionItLacks) {
    TempFolder root;
    fs::permissions(root.Path(), fs::perms::all);
    const std::string good = MakeScriptBot(root, "good", "Good", RecordAndAnswer("hi"));
    const std::string closed = MakeScriptBot(root, "closed", "Closed", RecordAndAnswer("hi"));
    const std::string hidden = MakeScriptBot(root, "hidden", "Hidden", RecordAndAnswer("hi"));
    for (const std::string& folder : {good, closed, hidden})
        fs::permissions(folder, fs::perms::all);
    fs::permissions(good + "/vorn.nfo", fs::perms::all);
    fs::permissions(closed, fs::perms::none);
    fs::permissions(hidden + "/vorn.nfo", fs::perms::none);
    const std::vector<std::string> commands = {"--check", "--try", "--turns 1 " + Quote(good)};
    const std::optional<bool> ran = RunUnprivileged([&] {
        for (std::size_t i = 0; i < commands.size(); ++i) {
            for (const std::string& bot : {closed, hidden}) {
                const std::string said =
                    root.File(std::to_string(i) + fs::path(bot).filename().string());
                const std::string command = Quote(JABBERY_CLI) + " " + commands[i] + " " +
                                            Quote(bot) + " > " + Quote(said) + " 2>&1";
                if (std::system(command.c_str()) == -1) return false;
            }
        }
        return true;
    });
    if (!ran) GTEST_SKIP() << "cannot run as the user nobody; permissions untested";
    ASSERT_TRUE(*ran);
    for (std::size_t i = 0; i < commands.size(); ++i) {
        for (const char* bot : {"closed", "hidden"}) {
            const std::string said = ReadFile(root.File(std::to_string(i) + bot));
            EXPECT_NE(said.find("Permission denied"), std::string::npos)
                << commands[i] << ": " << said;
            EXPECT_EQ(said.find("no vorn.nfo"), std::string::npos) << commands[i] << ": " << said;
        }
    }
}

}  // namespace
}  // namespace jabbery
