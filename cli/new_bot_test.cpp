// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/test_cli_run.h"
#include "platform/test_environment.h"

namespace jabbery {
namespace {

using namespace testing;

// --new-bot makes a bot of the user's that --try then finds by its name,
// whatever its program's words hold, also when they do not fit a
// descriptor line; it never replaces a folder.
TEST(NewBot, MakesABotOfTheUsersThatRunsTheProgram) {
    TempFolder root;
    const ScopedVariable data("XDG_DATA_HOME", root.File("data"));
    const std::string bots = root.File("data/jabbery/bots/");
    const std::string long_word(300, 'x');
    const struct {
        std::string name;
        std::string script;  // the answer the program prints, a shell word of its own
        bool in_script;      // its command line goes to run.sh
    } cases[] = {{"echo", "echo \"it's: $(cat)\"", false},
                 {"long", "cat >/dev/null; echo long; : " + long_word, true}};
    for (const auto& bot : cases) {
        const CliOutcome made = RunCli(root, {"--new-bot", bot.name, "--", "sh", "-c", bot.script});
        ASSERT_EQ(made.m_status, 0) << made.m_err;
        EXPECT_NE(made.m_out.find("jabbery-cli --try '" + bot.name + "'"), std::string::npos);
        EXPECT_EQ(std::filesystem::exists(bots + bot.name + "/run.sh"), bot.in_script);
        const CliOutcome tried = RunCli(root, {"--try", bot.name, "a'b"});
        EXPECT_EQ(tried.m_status, 0) << tried.m_out;
        EXPECT_NE(tried.m_out.find(bot.in_script ? "reply:   long" : "reply:   it's: a'b"),
                  std::string::npos)
            << tried.m_out;
    }
    const CliOutcome again = RunCli(root, {"--new-bot", "echo", "--", "cat"});
    EXPECT_EQ(again.m_status, 2);
    EXPECT_NE(again.m_err.find("exists already"), std::string::npos) << again.m_err;
    EXPECT_EQ(RunCli(root, {"--new-bot", "a/b", "--", "cat"}).m_status, 2);
    EXPECT_EQ(RunCli(root, {"--new-bot", "none"}).m_status, 2) << "no program";
}

}  // namespace
}  // namespace jabbery
