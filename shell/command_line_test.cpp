#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/test_environment.h"
#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

using Action = CommandLine::Action;
using Folders = std::vector<std::string>;

TEST(ParseCommandLine, KeepsFoldersInOrderAsAbsolutePathsWithoutTrailingSlash) {
    const std::string here = std::filesystem::current_path().string();
    const struct {
        Folders m_arguments;
        Folders m_folders;
    } cases[] = {
        {{}, {}},  // everything is asked
        {{"/bots/ann/", "/bots/./bob", "/"}, {"/bots/ann", "/bots/bob", "/"}},
        {{"bots/ann"}, {here + "/bots/ann"}},
        // "--" ends the options, so a folder may start with a dash.
        {{"--", "/-odd", "--help"}, {"/-odd", here + "/--help"}},
        // Any number: the set-up judges it with its usual message.
        {{"/a"}, {"/a"}},
        {Folders(16, "/a"), Folders(16, "/a")},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.m_arguments);
        EXPECT_EQ(line.m_action, Action::kRun);
        EXPECT_EQ(line.m_botFolders, c.m_folders);
    }
}

// The texts themselves are tried on the program's output.
TEST(ParseCommandLine, HelpAndVersionWinOverFoldersAndUnknownOptionsOrEmptyNamesAreErrors) {
    EXPECT_EQ(ParseCommandLine({"/a", "--help"}).m_action, Action::kHelp);
    EXPECT_EQ(ParseCommandLine({"-h"}).m_action, Action::kHelp);
    EXPECT_EQ(ParseCommandLine({"--version", "/a"}).m_action, Action::kVersion);
    const CommandLine unknown = ParseCommandLine({"--bots=3"});
    EXPECT_EQ(unknown.m_action, Action::kError);
    EXPECT_NE(unknown.m_error.find("--bots=3"), std::string::npos);
    EXPECT_EQ(ParseCommandLine({"/a", ""}).m_action, Action::kError);
}

TEST(VersionText, NamesTheVersionCopyrightAndLicence) {
    EXPECT_EQ(VersionText().rfind("jabbery 3.0.1\nCopyright (C) 2026 Jabbery developers\n", 0), 0u);
    EXPECT_NE(VersionText().find("\nLicense: MIT"), std::string::npos);
}

TEST(ParseCommandLine, ABundledBotsBareNameIsTheUsersCopy) {
    testing::TempFolder data;
    CommandLine line;
    {
        testing::ScopedVariable data_home("XDG_DATA_HOME", data.Path());
        line = ParseCommandLine({"wren", "/a"});
    }
    EXPECT_EQ(line.m_action, Action::kRun) << line.m_error;
    EXPECT_EQ(line.m_botFolders, Folders({data.File("jabbery/bots/wren"), "/a"}));
    EXPECT_TRUE(std::filesystem::is_regular_file(data.File("jabbery/bots/wren/vorn.nfo")));
}

}  // namespace
}  // namespace jabbery
