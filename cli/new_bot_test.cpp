// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/test_cli_run.h"
#include "platform/test_environment.h"

namespace jabbery::testing {
namespace {

// A line program: answers "ARGUMENT|LINE" for the argument it was given and
// the line it reads.
const std::vector<std::string> kEcho = {"/bin/sh", "-c",
                                        "read line; printf '%s|%s\\n' \"$1\" \"$line\"", "sh"};

// A bot made with --new-bot answers through jabbery-stdio under --try (the
// message given), with the arguments exactly as given, however they are
// quoted, and a command too long for vorn.nfo's line 3 goes into a script.
TEST(NewBot, MakesABotFolderThatRunsTheProgramUnderTry) {
    TempFolder root;
    const ScopedVariable data_home("XDG_DATA_HOME", root.File("data"));
    const std::string awkward = "it's \"odd\" $HOME `x` * ;|&";
    const std::string long_word(300, 'w');
    for (const std::string& argument : {awkward, long_word}) {
        const std::string name = argument == awkward ? "awkward" : "long";
        std::vector<std::string> arguments{"--new-bot", name, "--"};
        arguments.insert(arguments.end(), kEcho.begin(), kEcho.end());
        arguments.push_back(argument);
        const CliOutcome made = RunCli(root, arguments);
        ASSERT_EQ(made.m_status, 0) << made.m_err;
        const std::string folder = root.File("data/jabbery/bots/" + name);
        EXPECT_NE(made.m_out.find(folder), std::string::npos) << made.m_out;
        EXPECT_EQ(std::filesystem::exists(folder + "/run.sh"), argument == long_word);
        const CliOutcome tried = RunCli(root, {"--try", name, "Ahoy"});
        EXPECT_EQ(tried.m_status, 0) << tried.m_out << tried.m_err;
        EXPECT_TRUE(
            tried.m_out.starts_with("reply:   " + argument + "|Ahoy\noutcome: answered\n") &&
            tried.m_out.find("hint:") == std::string::npos)
            << tried.m_out;
        // The folder is the user's now: never replaced.
        const CliOutcome again = RunCli(root, arguments);
        EXPECT_EQ(again.m_status, 2);
        EXPECT_NE(again.m_err.find("exists already"), std::string::npos) << again.m_err;
    }
    const CliOutcome no_program = RunCli(root, {"--new-bot", "empty"});
    EXPECT_EQ(no_program.m_status, 2);
    EXPECT_FALSE(std::filesystem::exists(root.File("data/jabbery/bots/empty")));
    // A name the command line would take for an option could never be tried.
    const CliOutcome dash = RunCli(root, {"--new-bot", "-x", "--", "true"});
    EXPECT_EQ(dash.m_status, 2) << dash.m_out;
    EXPECT_FALSE(std::filesystem::exists(root.File("data/jabbery/bots/-x")));
}

}  // namespace
}  // namespace jabbery::testing
