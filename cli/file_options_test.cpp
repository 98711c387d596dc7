// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "cli/options.h"
#include "cli/test_cli_run.h"
#include "engine/test_bots.h"

namespace jabbery {
namespace {

using namespace testing;
using namespace std::chrono_literals;

constexpr const char* kSetUp =
    "order = \"natural\"\ninterval = \"1s\"\nseed = 7\n"
    "[stop]\nturns = 40\nloop = 3\n"
    "[[bot]]\nfolder = \"/a\"\ntalkativeness = 80\n[[bot]]\nfolder = \"/b\"\nmuted = true\n";

TEST(ConversationFileOptions, TheCommandLineGoesOverTheFileAndItsFoldersReplaceTheBots) {
    TempFolder root;
    const std::string path = root.File("set.jabbery");
    WriteFile(path, kSetUp);
    const struct {
        std::vector<std::string> m_arguments;
        std::vector<std::string> m_folders;
        std::size_t m_tuned;  // bots with the file's settings
        long long m_turns;
        unsigned m_seed;
    } cases[] = {
        {{path}, {"/a", "/b"}, 2, 40, 7},
        {{"--turns", "3", path, "--seed", "9"}, {"/a", "/b"}, 2, 3, 9},
        {{"x", path, "y"}, {"x", "y"}, 0, 40, 7},
    };
    for (const auto& [arguments, folders, tuned, turns, seed] : cases) {
        CliOptions options;
        std::string error;
        ASSERT_EQ(ParseCliOptions(arguments, options, error), OptionsEnd::kRun) << error;
        EXPECT_EQ(options.m_botFolders, folders) << arguments[0];
        EXPECT_EQ(options.m_botTuning.size(), tuned) << arguments[0];
        EXPECT_EQ(options.m_turns, turns) << arguments[0];
        EXPECT_EQ(options.m_seed, seed) << arguments[0];
        EXPECT_EQ(options.m_order, "natural");
        EXPECT_EQ(options.m_interval, 1s);
        EXPECT_EQ(options.m_loop, 3);
    }
    CliOptions options;
    std::string error;
    EXPECT_EQ(ParseCliOptions({path, path}, options, error), OptionsEnd::kError);
    EXPECT_EQ(error, "one conversation file at a time, please (see --help)");
    WriteFile(path, "[stop]\nfor = \"10\"\n");
    EXPECT_EQ(ParseCliOptions({path}, options, error), OptionsEnd::kError);
    EXPECT_TRUE(error.starts_with(path + ":2: `stop.for`: expected a duration")) << error;
}

// The file's bots are found beside it and run with its settings.
TEST(JabberyCli, RunsAConversationFile) {
    TempFolder root;
    const std::string a = MakeScriptBot(
        root, "set/a", "Ann", "cat chat.msg >> heard.msg; printf 'hello\\r\\n' > chat.msg");
    const std::string b = MakeScriptBot(root, "set/b", "Bob", RecordAndAnswer("hi"));
    const std::string c = MakeScriptBot(root, "set/c", "Cy", RecordAndAnswer("hey"));
    const std::string path = root.File("set/talk.jabbery");
    WriteFile(path,
              "opening = \"Good day\"\norder = \"list\"\ninterval = \"0s\"\n[stop]\nturns = 9\n"
              "[[bot]]\nfolder = \"a\"\n[[bot]]\nfolder = \"b\"\nmuted = true\n"
              "[[bot]]\nfolder = \"./c\"\n");
    const auto run = RunCli(root, {"--turns", "4", path});
    ASSERT_EQ(run.m_status, 0) << run.m_err;
    EXPECT_EQ(run.m_out,
              a + "/\n" + b + "/\n" + c + "/\nANN> hello\nCY> hey\nANN> hello\nCY> hey\n");
    EXPECT_EQ(ReadFile(a + "/heard.msg"), "Ann\r\nGood day\r\nAnn\r\nhey\r\n");
    EXPECT_EQ(run.m_err,
              "jabbery-cli: the conversation ended after 4 turns: 4 turns were asked for\n");
}

}  // namespace
}  // namespace jabbery
