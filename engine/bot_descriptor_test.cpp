// SPDX-License-Identifier: MIT
#include "engine/bot_descriptor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <filesystem>

#include "engine/bot_check.h"
#include "engine/bot_set_up.h"
#include "engine/test_bots.h"
#include "engine/test_fake_host.h"
#include "platform/test_environment.h"
#include "values/conversation_facts.h"

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
        const Participant bot = ReadBot(root.Path()).value_or(Participant{});
        EXPECT_EQ(bot.m_command.Str() + "|" + bot.m_name.Str() + "|" + bot.m_folder.Str(),
                  c.m_command + "|" + c.m_name + "|" + root.Path() + "/");
    }
}

// Any case, the exact name first; a folder of that name is none. The
// folder is recorded with a slash more.
TEST(ReadDescriptor, FindsTheDescriptorInAnyCaseAndRecordsTheFolder) {
    TempFolder root;
    const std::string odd = root.File("back\\slash {x}");
    std::filesystem::create_directories(odd + "/vorn.nfo");
    EXPECT_FALSE(ReadBot(odd) || ReadBot(root.File("missing")));
    std::filesystem::remove(odd + "/vorn.nfo");
    WriteFile(odd + "/VORN.NFO", "\n\nupper\nUpper\n");
    const std::optional<Participant> upper = ReadBot(odd + "/");
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->m_name.Str() + " in " + upper->m_folder.Str(), "Upper in " + odd + "//");
    WriteFile(odd + "/vorn.nfo", "\n\nlower\nLower\n");
    EXPECT_EQ(ReadBot(odd).value_or(Participant{}).m_name.Str(), "Lower");
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

// Folders given on the command line answer each bot's first prompt; a
// folder that holds no bot is announced and asked for again (the same bot
// twice is fine); a cancel, or a count outside 2 to 15, ends it.
TEST(AskForBots, AsksForEachBotUntilItsFolderHoldsOne) {
    TempFolder root;
    const std::string a = MakeScriptBot(root, "a", "A", "true");
    const std::string c = MakeScriptBot(root, "c", "C", "true");
    const std::string none = root.Path();
    const struct {
        int m_count;
        std::vector<std::string> m_given;
        std::deque<std::string> m_answers;
        std::vector<std::string> m_prompts, m_errors;
        std::string m_names;
    } cases[] = {
        {3,
         {},
         {a, none, c, a},
         {"1 of 3", "2 of 3", "2 of 3", "3 of 3"},
         {kNotABotMessage},
         "ACA"},
        {4, {}, {a, a}, {"1 of 4", "2 of 4", "3 of 4"}, {}, "none"},
        {3, {a, none, a}, {c}, {"2 of 3"}, {kNotABotMessage}, "ACA"},
        {1, {a}, {}, {}, {BotCountError(1)}, "none"},
    };
    for (const auto& row : cases) {
        FakeHost host;
        host.m_folderAnswers = row.m_answers;
        const auto bots = AskForBots(host, row.m_count, row.m_given);
        std::string names = bots ? "" : "none";
        for (const Participant& bot : bots.value_or(std::vector<Participant>{})) {
            names += bot.m_name.Str();
        }
        EXPECT_EQ(names, row.m_names) << row.m_count;
        EXPECT_EQ(host.m_folderPrompts, row.m_prompts) << row.m_count;
        EXPECT_EQ(host.m_errors, row.m_errors) << row.m_count;
    }
}

}  // namespace
}  // namespace jabbery
