// SPDX-License-Identifier: MIT
#include "engine/conversation_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/duration_text.h"
#include "engine/set_up_file.h"
#include "engine/test_conversation.h"
#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

using namespace std::chrono_literals;

TEST(ReadDuration, ReadsWholeNumbersWithAUnitAndWritesThemBack) {
    const struct {
        const char* m_text;
        std::optional<std::chrono::milliseconds> m_read;
    } cases[] = {{"500ms", 500ms}, {"0s", 0ms}, {"90s", 90s}, {"10m", 10min},     {"2h", 2h},
                 {"h", {}},        {"10", {}},  {"-1s", {}},  {"1.5s", {}},       {"2 s", {}},
                 {"5d", {}},       {"", {}},    {"+2s", {}},  {"1000000000s", {}}};
    for (const auto& [text, read] : cases) {
        EXPECT_EQ(ReadDuration(text), read) << text;
        if (read) {
            EXPECT_EQ(ReadDuration(DurationText(*read)), read) << text;
        }
    }
    EXPECT_EQ(DurationText(120s), "2m");
}

TEST(ConversationFile, ReadsEveryKeyAndWritesAnyTextBackTheSame) {
    std::string error;
    std::optional<ConversationFile> file = ParseConversationFile(
        "opening = \"Good day\"\norder = \"natural\"\ninterval = \"500ms\"\njitter = \"1s\"\n"
        "time_limit = \"30s\"\nseed = 7\nhuman_name = \"Ada\"\n"
        "stop = { turns = 40, for = \"10m\", stop_on = \"bye\", loop = 3, quarantine = 2 }\n"
        "bot = [{ folder = \"eliza\", talkativeness = 80 }, { folder = \"/b\", muted = true }]\n",
        "t.jabbery", error);
    ASSERT_TRUE(file) << error;
    const ConversationFile expected{{{"eliza", 80, false}, {"/b", std::nullopt, true}},
                                    "natural",
                                    "Good day",
                                    500ms,
                                    1s,
                                    30s,
                                    7u,
                                    "Ada",
                                    40,
                                    10min,
                                    "bye",
                                    3,
                                    2};
    EXPECT_EQ(*file, expected);
    file->m_opening = "say \"hi\" \\ then\ttab\x01 and \xc3\xa9t\xc3\xa9";
    file->m_bots[1].m_folder = "/a b/\"c\"";
    EXPECT_EQ(ParseConversationFile(ConversationFileText(*file), "t", error), file) << error;
}

TEST(ConversationFile, RefusesWrongFilesNamingLineKeyAndWhatWasExpected) {
    const struct {
        const char* m_text;
        const char* m_error;
    } cases[] = {
        {"seed = 7\n\n\ninterval = 2",
         "f.jabbery:4: `interval`: expected a duration such as "
         "\"2s\" or \"500ms\""},
        {"intervall = \"2s\"",
         "f.jabbery:1: `intervall`: unknown key; expected one of opening, "
         "order, interval, jitter, time_limit, seed, human_name, stop, bot"},
        {"seed = -1", "f.jabbery:1: `seed`: expected a whole number from 0 to 4294967295"},
        {"order = \"loud\"", "f.jabbery:1: `order`: expected one of random, list, natural, pooled"},
        {"opening = 5", "f.jabbery:1: `opening`: expected text in quotes"},
        {"human_name = \"\"", "f.jabbery:1: `human_name`: expected text that is not empty"},
        {"human_name = \"Two\\nLines\"",
         "f.jabbery:1: `human_name`: expected a name on one line, without control characters"},
        {"time_limit = \"0s\"", "f.jabbery:1: `time_limit`: expected a duration of at least 1s"},
        {"jitter = \"25h\"", "f.jabbery:1: `jitter`: expected a duration of at most 24h"},
        {"stop = 3", "f.jabbery:1: `stop`: expected a [stop] table"},
        {"[stop]\nloop = 1", "f.jabbery:2: `stop.loop`: expected a whole number from 2 to 1000"},
        {"[stop]\nturn = 1",
         "f.jabbery:2: `stop.turn`: unknown key; expected one of turns, for, "
         "stop_on, loop, quarantine"},
        {"[stop]\nstop_on = \"(x\"",
         "f.jabbery:2: `stop.stop_on`: expected a regular expression: missing ): (x"},
        {"[stop]\nstop_on = \"\"",
         "f.jabbery:2: `stop.stop_on`: expected a regular expression: it is empty, so every "
         "reply would match"},
        {"bot = \"eliza\"", "f.jabbery:1: `bot`: expected [[bot]] tables, one for each bot"},
        {"[[bot]]\nfolder = \"a\"\n[[bot]]\nmuted = 1",
         "f.jabbery:4: `bot[2].muted`: expected true or false"},
        {"[[bot]]\nfolder = \"a\"\n\n[[bot]]\ntalkativeness = 5",
         "f.jabbery:4: `bot[2]`: expected a `folder` (a bot's folder or name)"},
        {"seed = 1\nseed = 2", "f.jabbery:2: "},  // TOML itself refuses it
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(ParseConversationFile(text, "f.jabbery", error)) << text;
        EXPECT_TRUE(error.starts_with(expected)) << text << "\n -> " << error;
    }
}

TEST(ReadConversationFile, MakesFoldersBesideTheFileAbsoluteAndLeavesOtherBareNames) {
    testing::TempFolder folder;
    std::filesystem::create_directories(folder.File("sets/eliza"));
    // A file of a bot's name beside it is no folder: the name is the user's bot, as on the command
    // line.
    std::ofstream(folder.File("sets/hask")) << "notes\n";
    const std::string path = folder.File("sets/talk.jabbery");
    std::ofstream(path) << "[[bot]]\nfolder = \"eliza\"\n[[bot]]\nfolder = \"hask\"\n"
                           "[[bot]]\nfolder = \"../x/./y\"\n[[bot]]\nfolder = \"/abs\"\n";
    std::string error;
    const std::optional<ConversationFile> file = ReadConversationFile(path, error);
    ASSERT_TRUE(file) << error;
    std::vector<std::string> folders;
    for (const FileBot& bot : file->m_bots) folders.push_back(bot.m_folder);
    EXPECT_EQ(folders, (std::vector<std::string>{folder.File("sets/eliza"), "hask",
                                                 folder.File("x/y"), "/abs"}));
    EXPECT_TRUE(IsConversationFile(path) && IsConversationFile(folder.File("none.jabbery")));
    std::filesystem::create_directories(folder.File("bot.jabbery"));
    EXPECT_FALSE(IsConversationFile(folder.File("sets/eliza")) ||
                 IsConversationFile(folder.File("bot.jabbery")));
    EXPECT_FALSE(ReadConversationFile(folder.File("none.jabbery"), error));
    EXPECT_NE(error.find("none.jabbery: No such file"), std::string::npos) << error;
}

TEST(SetUpOf, AConversationSavedAsAFileReadsBackToTheSameSetUp) {
    Conversation conversation;
    for (const char* name : {"a", "b", "c", "gone"}) conversation.Join(testing::Bot(name));
    conversation.JoinHuman("Ada");
    conversation.Remove(conversation.BotsNamed("gone").front());
    ConversationFile asked;
    asked.m_bots = {{"a", 0, false}, {"b", std::nullopt, true}, {"c", 100, false}};
    asked.m_turns = 12;
    asked.m_for = 90s;
    asked.m_stopOn = "bye";
    asked.m_quarantine = 3;
    conversation.SetRules(StopRulesOf(asked));
    ASSERT_EQ(TuneBots(conversation, asked.m_bots), "");
    std::string error;
    const std::optional<ConversationFile> read =
        ParseConversationFile(ConversationFileText(SetUpOf(conversation)), "t", error);
    ASSERT_TRUE(read) << error;
    asked.m_humanName = "Ada";
    for (FileBot& bot : asked.m_bots) bot.m_folder = "/bots/" + bot.m_folder;
    EXPECT_EQ(*read, asked);
    // With b muted, muting a too is refused, naming the bot.
    EXPECT_EQ(TuneBots(conversation, {{"x", {}, true}}),
              "bot 1 (x): At least two bots must stay unmuted, so a cannot be muted.");
}

}  // namespace
}  // namespace jabbery
