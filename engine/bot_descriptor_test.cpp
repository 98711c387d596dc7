// SPDX-License-Identifier: MIT
#include "engine/bot_descriptor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "engine/bot_check.h"
#include "engine/conversation.h"
#include "engine/test_bots.h"
#include "platform/test_environment.h"
#include "engine/test_fake_host.h"

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
        BotRoster roster;
        ASSERT_TRUE(ReadDescriptor(roster, 2, root.Path())) << c.m_file;
        EXPECT_EQ(roster.m_botCommand[2].Str(), c.m_command) << c.m_file;
        EXPECT_EQ(roster.m_botName[2].Str(), c.m_name) << c.m_file;
        EXPECT_EQ(roster.m_botFolder[2].Str(), root.Path() + "/");
    }
}

// Any case, the exact name first; the folder gets a slash more, \ doubled for RTF.
TEST(ReadDescriptor, FindsTheDescriptorAndRecordsTheFolder) {
    TempFolder root;
    const std::string odd = root.File("back\\slash {x}");
    std::filesystem::create_directories(odd + "/vorn.nfo");  // a folder of that name
    BotRoster roster;
    roster.m_botName[0] = "kept";
    EXPECT_FALSE(ReadDescriptor(roster, 0, odd));
    EXPECT_FALSE(ReadDescriptor(roster, 0, root.File("missing")));
    EXPECT_EQ(roster.m_botName[0].Str(), "kept");
    EXPECT_TRUE(roster.m_botFolder[0].IsEmpty());
    std::filesystem::remove(odd + "/vorn.nfo");
    WriteFile(odd + "/VORN.NFO", "\n\nupper\nUpper\n");
    ASSERT_TRUE(ReadDescriptor(roster, 0, odd + "/"));
    EXPECT_EQ(roster.m_botName[0].Str(), "Upper");
    EXPECT_EQ(roster.m_botFolder[0].Str(), odd + "//");
    EXPECT_EQ(roster.m_botFolderRtf[0].Str(), root.Path() + "/back\\\\slash {x}//");
    WriteFile(odd + "/vorn.nfo", "\n\nlower\nLower\n");
    ASSERT_TRUE(ReadDescriptor(roster, 0, odd));
    EXPECT_EQ(roster.m_botName[0].Str(), "Lower");
}

// Only the head of a descriptor is read: a 20 GB one without line ends
// (sparse, so it costs no disk) takes no longer than a small one.
TEST(ReadDescriptor, ReadsOnlyTheHeadOfAHugeDescriptor) {
    TempFolder root;
    WriteFile(root.File("vorn.nfo"), "VORN2\r\nA bot\r\n./run\r\nPip");
    std::filesystem::resize_file(root.File("vorn.nfo"), 20ull << 30);
    const auto started = std::chrono::steady_clock::now();
    BotRoster roster;
    ASSERT_TRUE(ReadDescriptor(roster, 0, root.Path()));
    EXPECT_EQ(roster.m_botCommand[0].Str(), "./run");
    EXPECT_EQ(CutLineProblems(root.Path()).size(), 1u) << "the name runs on past 259 characters";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

// A descriptor that is there but cannot be read is no "not a bot": the
// message says what failed.
TEST(LoadRoster, SaysWhatFailedWhenADescriptorCannotBeRead) {
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
        ConversationState state;
        {
            // No descriptor left to open: the lowest free number is the limit.
            const int free_fd = ::dup(0);
            ::close(free_fd);
            const ScopedLimit no_files(RLIMIT_NOFILE, static_cast<rlim_t>(free_fd));
            EXPECT_FALSE(LoadRoster(state, state, host, host, 2));
        }
        EXPECT_EQ(host.m_errors, std::vector<std::string>{message});
    }
}

TEST(LoadRoster, AsksAgainForARefusedFolderAndACancelClosesKeepingTheBotsSoFar) {
    TempFolder root;
    const std::string a = MakeScriptBot(root, "a", "A", "true");
    const std::string c = MakeScriptBot(root, "c", "C", "true");
    FakeHost host;
    host.m_folderAnswers = {a, root.Path(), c, a};
    ConversationState state;
    ASSERT_TRUE(LoadRoster(state, state, host, host, 3));
    EXPECT_EQ(host.m_folderPrompts,
              (std::vector<std::string>{"1 of 3", "2 of 3", "2 of 3", "3 of 3"}));
    EXPECT_EQ(host.m_errors, std::vector<std::string>{kNotABotMessage});
    EXPECT_EQ(state.m_botName[1].Str(), "C");
    EXPECT_EQ(state.m_botFolder[2], state.m_botFolder[0]);  // the same folder twice is fine
    EXPECT_EQ(state.m_plainText.Str(), a + "/\r\n" + c + "/\r\n" + a + "/\r\n");
    EXPECT_EQ(host.m_closeRequests, 0);
    FakeHost cancelled;
    cancelled.m_folderAnswers = {a, a};  // then cancel for bot 3 of 4
    ConversationState partial;
    EXPECT_FALSE(LoadRoster(partial, partial, cancelled, cancelled, 4));
    EXPECT_EQ(cancelled.m_folderPrompts.size(), 3u);
    EXPECT_EQ(cancelled.m_closeRequests, 1);
    EXPECT_EQ(partial.m_plainText.Str(), a + "/\r\n" + a + "/\r\n");
    EXPECT_TRUE(cancelled.m_documents.empty());
}

TEST(LoadRoster, RefusesCountsOutsideTwoToFifteenWithoutAskingAnything) {
    for (int count : {-1, 0, 1, 16, 1000}) {
        FakeHost host;
        ConversationState state;
        EXPECT_FALSE(LoadRoster(state, state, host, host, count));
        EXPECT_TRUE(host.m_folderPrompts.empty());
        ASSERT_EQ(host.m_errors.size(), 1u);
        EXPECT_NE(host.m_errors[0].find("2 to 15"), std::string::npos);
        EXPECT_EQ(host.m_closeRequests, 1);
    }
}

}  // namespace
}  // namespace jabbery
