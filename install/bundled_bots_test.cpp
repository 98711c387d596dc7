// SPDX-License-Identifier: MIT
#include "install/bundled_bots.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/bot_descriptor.h"
#include "engine/test_bots.h"
#include "platform/run_hidden.h"

namespace jabbery {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// An installed tree under a prefix that needs quoting in a shell, with one
// bundled bot "echo", a folder that is no bot, and the user's data folder.
struct InstalledTree {
    TempFolder root;
    std::string prefix = root.File("it's installed");
    std::string program = prefix + "/lib/jabbery/bots/echo/echo";
    BotPlaces places;

    InstalledTree() {
        fs::create_directories(prefix + "/share/jabbery/bots/echo/phrases");
        fs::create_directories(prefix + "/share/jabbery/bots/notabot");
        fs::create_directories(prefix + "/lib/jabbery/bots/echo");
        WriteFile(prefix + "/share/jabbery/bots/echo/vorn.nfo", "V\r\nEcho\r\n./echo\r\nEcho\r\n");
        WriteFile(prefix + "/share/jabbery/bots/echo/phrases/hi.txt", "Hello!");
        WriteFile(program, "#!/bin/sh\ncat phrases/hi.txt > chat.msg\n");
        fs::permissions(program, fs::perms::owner_all, fs::perm_options::add);
        places = FindBotPlaces(prefix + "/bin", root.File("data"));
    }
};

TEST(BundledBots, MakesTheUsersCopyOnceAndItRunsTheInstalledProgram) {
    InstalledTree tree;
    EXPECT_EQ(BundledBotNames(tree.places), std::vector<std::string>{"echo"});
    std::string error;
    ASSERT_TRUE(CopyBundledBots(tree.places, error)) << error;
    const std::string copy = tree.places.m_userBots + "/echo";
    EXPECT_EQ(ReadFile(copy + "/vorn.nfo"),
              "V\r\nEcho\r\n'" + tree.root.File("it'\\''s installed/lib/jabbery/bots/echo/echo'") +
                  "\r\nEcho\r\n");
    EXPECT_EQ(fs::directory_iterator(tree.places.m_userBots)->path(), copy);  // nothing half-made
    // The copy runs as any bot folder, with the template's files.
    const std::optional<Participant> bot = ReadBot(copy);
    ASSERT_TRUE(bot);
    EXPECT_EQ(RunHidden(bot->m_command.Str(), copy, RunLimits{}).m_end, RunEnd::kExited);
    EXPECT_EQ(ReadFile(copy + "/chat.msg"), "Hello!");
    WriteFile(copy + "/vorn.nfo", "mine");
    EXPECT_TRUE(MakeUserCopy(tree.places, "echo", error));
    EXPECT_EQ(ReadFile(copy + "/vorn.nfo"), "mine");
}

TEST(BundledBots, AnIncompleteBotOrNoHomeIsReportedAndLeavesNothing) {
    InstalledTree tree;
    fs::remove(tree.program);
    std::string error;
    EXPECT_FALSE(MakeUserCopy(tree.places, "echo", error));
    EXPECT_NE(error.find("lib/jabbery/bots/echo/echo is missing"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(tree.places.m_userBots));
    EXPECT_FALSE(MakeUserCopy(FindBotPlaces(tree.prefix + "/bin", ""), "echo", error));
    EXPECT_NE(error.find("HOME"), std::string::npos) << error;
}

TEST(ResolveBotArgument, ABareNameWithoutSuchAFolderHereIsTheUsersBotOfThatName) {
    InstalledTree tree;
    const fs::path here = fs::current_path();
    fs::current_path(tree.root.Path());  // the working folder the names are read in
    fs::create_directories(tree.places.m_userBots + "/mine");
    fs::create_directories(tree.root.File("local"));
    const std::pair<std::string, std::string> cases[] = {
        {"mine", tree.places.m_userBots + "/mine"},  // the user's own
        {"local", "local"},                          // a folder here wins
        {"./echo", "./echo"},                        // a path is a path
    };
    for (auto [argument, folder] : cases) {
        std::string error;
        EXPECT_TRUE(ResolveBotArgument(tree.places, argument, error)) << error;
        EXPECT_EQ(argument, folder);
    }
    fs::current_path(here);
}

TEST(BotNamesClosestTo, ListsTheUsersAndTheBundledBotsOnceEachClosestFirst) {
    InstalledTree tree;
    for (const std::string name : {"hask", "wren", "echo", ".hask.partial-1", "nodescriptor"}) {
        fs::create_directories(tree.places.m_userBots + "/" + name);
        if (name != "nodescriptor") {
            WriteFile(tree.places.m_userBots + "/" + name + "/vorn.nfo", "\r\n\r\ntrue\r\nX\r\n");
        }
    }
    EXPECT_EQ(BotNamesClosestTo(tree.places, "hsak"),
              (std::vector<std::string>{"hask", "echo", "wren"}));
}

}  // namespace
}  // namespace jabbery
