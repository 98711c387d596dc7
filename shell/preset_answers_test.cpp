#include "shell/preset_answers.h"

#include <gtest/gtest.h>

#include "shell/gui_test_support.h"

namespace jabbery {
namespace {

using testing::ScriptedDialogs;

TEST(PresetAnswers, WithoutFoldersEveryQuestionGoesToTheDialogs) {
    ScriptedDialogs dialogs;
    dialogs.m_counts = {3};
    dialogs.m_folders = {"/a"};
    PresetAnswers answers(dialogs, {});
    EXPECT_EQ(answers.AskBotCount(), 3);
    EXPECT_EQ(answers.BrowseForBotFolder(1, 3), "/a");
    EXPECT_EQ(dialogs.m_countAsked, 1);
    EXPECT_EQ(dialogs.m_folderPrompts, std::vector<std::string>{"1 of 3"});
}

TEST(PresetAnswers, FoldersGiveTheCountAndAnswerEachBotsFirstPrompt) {
    ScriptedDialogs dialogs;
    PresetAnswers answers(dialogs, {"/a", "/b"});
    EXPECT_EQ(answers.AskBotCount(), 2);
    EXPECT_EQ(answers.BrowseForBotFolder(1, 2), "/a");
    EXPECT_EQ(answers.BrowseForBotFolder(2, 2), "/b");
    EXPECT_EQ(dialogs.m_countAsked, 0);
    EXPECT_TRUE(dialogs.m_folderPrompts.empty());
}

TEST(PresetAnswers, ABotAskedForAgainGetsTheRealPrompt) {
    ScriptedDialogs dialogs;
    dialogs.m_folders = {"/chosen"};
    PresetAnswers answers(dialogs, {"/a", "/not-a-bot"});
    EXPECT_EQ(answers.BrowseForBotFolder(1, 2), "/a");
    EXPECT_EQ(answers.BrowseForBotFolder(2, 2), "/not-a-bot");
    EXPECT_EQ(answers.BrowseForBotFolder(2, 2), "/chosen");
    EXPECT_EQ(dialogs.m_folderPrompts, std::vector<std::string>{"2 of 2"});
}

TEST(PresetAnswers, CountsTheSetUpCannotLinkArePassedOnAsTheyAre) {
    ScriptedDialogs dialogs;
    EXPECT_EQ(PresetAnswers(dialogs, {"/a"}).AskBotCount(), 1);
    EXPECT_EQ(PresetAnswers(dialogs, std::vector<std::string>(16, "/a")).AskBotCount(), 16);
}

TEST(PresetAnswers, OtherQuestionsAlwaysGoToTheDialogs) {
    ScriptedDialogs dialogs;
    dialogs.m_yesNo = {true};
    dialogs.m_savePaths = {std::string("/t.txt")};
    PresetAnswers answers(dialogs, {"/a", "/b"});
    answers.ShowError("oops");
    EXPECT_TRUE(answers.AskYesNo("save?"));
    EXPECT_EQ(answers.AskSavePath(), std::optional<std::string>("/t.txt"));
    answers.OpenManual();
    answers.ShowAboutBox();
    EXPECT_EQ(dialogs.m_errors, std::vector<std::string>{"oops"});
    EXPECT_EQ(dialogs.m_questions, std::vector<std::string>{"save?"});
    EXPECT_EQ(dialogs.m_manualOpened, 1);
    EXPECT_EQ(dialogs.m_aboutShown, 1);
}

}  // namespace
}  // namespace jabbery
