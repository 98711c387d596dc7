#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace jabbery {
namespace {

using Action = CommandLine::Action;

TEST(ParseCommandLine, NoArgumentsAsksEverything) {
    const CommandLine line = ParseCommandLine({});
    EXPECT_EQ(line.m_action, Action::kRun);
    EXPECT_TRUE(line.m_botFolders.empty());
}

TEST(ParseCommandLine, FoldersAreKeptInOrderAsAbsolutePathsWithoutTrailingSlash) {
    const CommandLine line = ParseCommandLine({"/bots/ann/", "/bots/./bob", "/"});
    ASSERT_EQ(line.m_action, Action::kRun);
    EXPECT_EQ(line.m_botFolders, (std::vector<std::string>{"/bots/ann", "/bots/bob", "/"}));
}

TEST(ParseCommandLine, RelativeFoldersAreTakenFromTheWorkingFolder) {
    const CommandLine line = ParseCommandLine({"bots/ann"});
    ASSERT_EQ(line.m_botFolders.size(), 1u);
    EXPECT_EQ(line.m_botFolders[0], (std::filesystem::current_path() / "bots/ann").string());
}

TEST(ParseCommandLine, AnyNumberOfFoldersIsPassedOnForTheSetUpToJudge) {
    EXPECT_EQ(ParseCommandLine({"/a"}).m_botFolders.size(), 1u);
    std::vector<std::string> sixteen(16, "/a");
    EXPECT_EQ(ParseCommandLine(sixteen).m_botFolders.size(), 16u);
}

TEST(ParseCommandLine, HelpAndVersionWinOverFolders) {
    EXPECT_EQ(ParseCommandLine({"/a", "--help"}).m_action, Action::kHelp);
    EXPECT_EQ(ParseCommandLine({"-h"}).m_action, Action::kHelp);
    EXPECT_EQ(ParseCommandLine({"--version", "/a"}).m_action, Action::kVersion);
}

TEST(ParseCommandLine, UnknownOptionIsAnErrorNamingIt) {
    const CommandLine line = ParseCommandLine({"--bots=3"});
    EXPECT_EQ(line.m_action, Action::kError);
    EXPECT_NE(line.m_error.find("--bots=3"), std::string::npos);
}

TEST(ParseCommandLine, DoubleDashEndsOptionsSoFoldersMayStartWithADash) {
    const CommandLine line = ParseCommandLine({"--", "/-odd", "--help"});
    ASSERT_EQ(line.m_action, Action::kRun);
    ASSERT_EQ(line.m_botFolders.size(), 2u);
    EXPECT_EQ(line.m_botFolders[0], "/-odd");
    EXPECT_EQ(line.m_botFolders[1], (std::filesystem::current_path() / "--help").string());
}

TEST(ParseCommandLine, EmptyFolderNameIsAnError) {
    EXPECT_EQ(ParseCommandLine({"/a", ""}).m_action, Action::kError);
}

TEST(CommandLineUsage, NamesTheFoldersAndBothOptions) {
    const std::string usage = CommandLineUsage();
    EXPECT_NE(usage.find("jabbery [BOTDIR...]"), std::string::npos);
    EXPECT_NE(usage.find("--help"), std::string::npos);
    EXPECT_NE(usage.find("--version"), std::string::npos);
    EXPECT_EQ(VersionText(), "jabbery 3.0.1\n");
}

}  // namespace
}  // namespace jabbery
