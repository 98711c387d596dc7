#include "shell/preset_answers.h"

#include <gtest/gtest.h>

#include "shell/gui_test_support.h"

namespace jabbery {
namespace {

using testing::ScriptedDialogs;
using Prompts = std::vector<std::string>;

// Without folders, everything goes to the dialogs: the main window's set-up
// tests show that.
TEST(PresetAnswers, FoldersGiveTheCountAndEachBotsFirstFolderAndTheRealPromptAsksAgain) {
    ScriptedDialogs dialogs;
    dialogs.m_folderAnswers = {"/chosen"};
    PresetAnswers answers(dialogs, {"/a", "/not-a-bot"});
    EXPECT_EQ(answers.AskBotCount(), 2);
    EXPECT_EQ(answers.BrowseForBotFolder(1, 2), "/a");
    EXPECT_EQ(answers.BrowseForBotFolder(2, 2), "/not-a-bot");
    EXPECT_EQ(answers.BrowseForBotFolder(2, 2), "/chosen");
    EXPECT_EQ(dialogs.m_countAsked, 0);
    EXPECT_EQ(dialogs.m_folderPrompts, Prompts{"2 of 2"});
    // Counts the set-up cannot link are passed on for it to refuse.
    EXPECT_EQ(PresetAnswers(dialogs, {"/a"}).AskBotCount(), 1);
    EXPECT_EQ(PresetAnswers(dialogs, Prompts(16, "/a")).AskBotCount(), 16);
}

}  // namespace
}  // namespace jabbery
