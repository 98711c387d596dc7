// SPDX-License-Identifier: MIT
#include "engine/bot_descriptor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "engine/bot_check.h"
#include "engine/bot_set_up.h"
#include "engine/test_bots.h"
#include "engine/test_fake_host.h"
#include "platform/test_environment.h"

namespace jabbery {
namespace {

using namespace testing;

// Missing lines give empty slots; a line keeps at most 259 characters.
TEST(ReadDescriptor, TakesLinesThreeAndFourAsTheyStand) {
    TempFolder root;
    const std::string exact(259, 'c');
    const struct {
        std::string m_file, m_command, m_name;
    } cases[] = {
        {"anything\r\n\r\n  ./run --fast\t\r\n Pip \r\nline five\r\n", "  ./run --fast\t", " Pip "},
        {"anything\n\n  ./run --fast\t\n Pip \nline five\n", "  ./run --fast\t", " Pip "},
        {"one\r\ntwo\r\n./bot", "./bot", ""},
        {"one\r\ntwo\r\n", "", ""},
        {"", "", ""},
        {"1\r\n2\r\n" + exact + "\r\n" + std::string(300, 'n') + "\r\n", exact,
         std::string(259, 'n')},
        {"1\r\n2\r\n" + std::string(400, 'c') + "\r\nName\r\n", exact, "Name"},
    };
    for (const auto& c : cases) {
        WriteFile(root.File("vorn.nfo"), c.m_file);
        const std::optional<Participant> bot = ReadBot(root.Path());
        ASSERT_TRUE(bot) << c.m_file;
        EXPECT_EQ(bot->m_command.Str(), c.m_command) << c.m_file;
        EXPECT_EQ(bot->m_name.Str(), c.m_name) << c.m_file;
        EXPECT_EQ(bot->m_folder.Str(), root.Path() + "/");
    }
}

// Any case, the exact name first; the folder gets a slash more.
TEST(ReadDescriptor, FindsTheDescriptorInAnyCaseAndRecordsTheFolder) {
    TempFolder root;
    const std::string odd = root.File("back\\slash {x}");
    std::filesystem::create_directories(odd + "/vorn.nfo");  // a folder of that name
    EXPECT_FALSE(ReadBot(odd));
    EXPECT_FALSE(ReadBot(root.File("missing")));
    std::filesystem::remove(odd + "/vorn.nfo");
    WriteFile(odd + "/VORN.NFO", "\n\nupper\nUpper\n");
    std::optional<Participant> bot = ReadBot(odd + "/");
    ASSERT_TRUE(bot);
    EXPECT_EQ(bot->m_name.Str(), "Upper");
    EXPECT_EQ(bot->m_folder.Str(), odd + "//");
    WriteFile(odd + "/vorn.nfo", "\n\nlower\nLower\n");
    bot = ReadBot(odd);
    ASSERT_TRUE(bot);
    EXPECT_EQ(bot->m_name.Str(), "Lower");
}

// Only the head of a descriptor is read: a 20 GB one without line ends
// (sparse, so it costs no disk) takes no longer than a small one.
TEST(ReadDescriptor, ReadsOnlyTheHeadOfAHugeDescriptor) {
    TempFolder root;
    WriteFile(root.File("vorn.nfo"), "VORN2\r\nA bot\r\n./run\r\nPip");
    std::filesystem::resize_file(root.File("vorn.nfo"), 20ull << 30);
    const auto started = std::chrono::steady_clock::now();
    const std::optional<Participant> bot = ReadBot(root.Path());
    ASSERT_TRUE(bot);
    EXPECT_EQ(bot->m_command.Str(), "./run");
    EXPECT_EQ(CutLineProblems(root.Path()).size(), 1u) << "the name runs on past 259 characters";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

// A descriptor that is there but cannot be read is no "not a bot": the
// message says what failed.
TEST(AskForBots, SaysWhatFailedWhenADescriptorCannotBeRead) {
#ifdef __SANITIZE_ADDRESS__
    // The sanitizers' runtime needs a pipe of its own to check an object's
    // type; with no descriptor left it reports every checked access as bad.
    GTEST_SKIP() << "needs free descriptors under the sanitizers";
#endif
    TempFolder root;
    const std::string exact = MakeScriptBot(root, "exact", "A", "true");
    std::filesystem::create_directories(root.File("upper"));
    WriteFile(root.File("upper/VORN.NFO"), "V\r\nX\r\ntrue\r\nB\r\n");
    const std::pair<std::string, std::string> cases[] = {
        {exact, exact + ": vorn.nfo cannot be read: Too many open files"},
        {root.File("upper"),
         root.File("upper") + ": the folder cannot be listed: Too many open files"},
    };
    for (const auto& [folder, message] : cases) {
        FakeHost host;
        host.m_folderAnswers = {folder};
        {
            // No descriptor left to open: the lowest free number is the limit.
            const int free_fd = ::dup(0);
            ::close(free_fd);
            const ScopedLimit no_files(RLIMIT_NOFILE, static_cast<rlim_t>(free_fd));
            EXPECT_FALSE(AskForBots(host, 2));
        }
        EXPECT_EQ(host.m_errors, std::vector<std::string>{message});
    }
}

TEST(AskForBots, AsksAgainForARefusedFolderAndACancelEndsIt) {
    TempFolder root;
    const std::string a = MakeScriptBot(root, "a", "A", "true");
    const std::string c = MakeScriptBot(root, "c", "C", "true");
    FakeHost host;
    host.m_folderAnswers = {a, root.Path(), c, a};
    const auto bots = AskForBots(host, 3);
    ASSERT_TRUE(bots);
    EXPECT_EQ(host.m_folderPrompts,
              (std::vector<std::string>{"1 of 3", "2 of 3", "2 of 3", "3 of 3"}));
    EXPECT_EQ(host.m_errors, std::vector<std::string>{kNotABotMessage});
    ASSERT_EQ(bots->size(), 3u);
    EXPECT_EQ((*bots)[1].m_name.Str(), "C");
    EXPECT_EQ((*bots)[2].m_folder, (*bots)[0].m_folder);  // the same folder twice is fine
    FakeHost cancelled;
    cancelled.m_folderAnswers = {a, a};  // then cancel for bot 3 of 4
    EXPECT_FALSE(AskForBots(cancelled, 4));
    EXPECT_EQ(cancelled.m_folderPrompts.size(), 3u);
}

// Folders from the command line answer each bot's first prompt; one that
// is refused is asked for, and the next bot takes the next folder.
TEST(AskForBots, GivenFoldersAnswerFirstPromptsAndARefusedOneIsAskedFor) {
    TempFolder root;
    const std::string a = MakeScriptBot(root, "a", "A", "true");
    const std::string c = MakeScriptBot(root, "c", "C", "true");
    FakeHost host;
    host.m_folderAnswers = {c};
    const auto bots = AskForBots(host, 3, {a, root.Path(), a});
    ASSERT_TRUE(bots);
    EXPECT_EQ(host.m_folderPrompts, std::vector<std::string>{"2 of 3"});
    EXPECT_EQ((*bots)[1].m_name.Str(), "C");
    EXPECT_EQ((*bots)[2].m_name.Str(), "A");
}

TEST(AskForBots, RefusesCountsOutsideTwoToFifteenWithoutAskingAnything) {
    for (int count : {-1, 0, 1, 16, 1000}) {
        FakeHost host;
        EXPECT_FALSE(AskForBots(host, count));
        EXPECT_TRUE(host.m_folderPrompts.empty());
        ASSERT_EQ(host.m_errors.size(), 1u);
        EXPECT_NE(host.m_errors[0].find("2 to 15"), std::string::npos);
    }
}

}  // namespace
}  // namespace jabbery
