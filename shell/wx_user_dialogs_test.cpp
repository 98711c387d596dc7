#include "shell/wx_user_dialogs.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/frame.h>

#include "engine/conversation.h"
#include "engine/test_bots.h"
#include "shell/folder_prompt.h"
#include "shell/gui_test_support.h"
#include "shell/program_title.h"

namespace jabbery {
namespace {

using namespace testing;

TEST(FolderPromptTitle, NamesTheBotCountedFromOneAndTheCount) {
    EXPECT_EQ(FolderPromptTitle(1, 3), "Select the folder in which bot 1 of 3 is installed:");
    EXPECT_EQ(FolderPromptTitle(15, 15), "Select the folder in which bot 15 of 15 is installed:");
}

TEST(FirstExistingFolder, SkipsWhatIsMissingOrNoFolder) {
    TempFolder root;
    WriteFile(root.File("file"), "x");
    std::filesystem::create_directories(root.File("b"));
    EXPECT_EQ(FirstExistingFolder({"", root.File("a"), root.File("file"), root.File("b")}),
              root.File("b"));
    EXPECT_EQ(FirstExistingFolder({root.File("a")}), "");
}

TEST(BundledBotsFolder, IsTheBuildTreesBotsFolderBesideTheProgram) {
    // The test program lives in the build tree's shell folder, as jabbery does.
    EXPECT_EQ(BundledBotsFolder(),
              std::filesystem::path(JABBERY_BUILD_DIR "/bots").lexically_normal().string());
}

// The real dialogs, over a shown main window, answered with real keys.
class WxUserDialogsTest : public ::testing::Test {
  protected:
    WxUserDialogsTest()
        : m_window(new wxFrame(nullptr, wxID_ANY, "Main", wxPoint(100, 100), wxSize(500, 400))) {
        m_window->Show();
        RunEventsUntil([] { return FindScreenWindow("Main").has_value(); }, 10s);
        m_dialogs.SetMainWindow(m_window);
    }
    ~WxUserDialogsTest() override {
        // A top-level window deletes itself once the event loop runs again.
        m_window->Destroy();
        RunEventsUntil([] { return wxTopLevelWindows.empty(); }, 10s);
    }

    // Runs `call`, which opens the dialog titled `title`, and closes that
    // dialog with `key`; returns what `call` returned.
    template <typename Call>
    auto Answered(const std::string& title, int key, Call call) {
        UiScript script;
        AnswerWithKey(script, title, key);
        return Driven(script, call);
    }

    // Runs `call`, which opens a dialog, while `script` drives it.
    template <typename Call>
    static auto Driven(UiScript& script, Call call) {
        script.Start();
        auto result = call();
        script.Stop();
        EXPECT_GE(script.StepsDone(), 1u) << "the dialog never showed";
        EXPECT_EQ(script.Failure(), "");
        return result;
    }

    TempFolder m_root;
    wxFrame* m_window;
    WxUserDialogs m_dialogs;
    const std::string m_title = ProgramTitle().ToStdString();
};

TEST_F(WxUserDialogsTest, FolderPromptIsTitledForTheBotAndGivesTheChosenFolder) {
    std::filesystem::create_directories(m_root.File("bot two"));
    const std::string title = FolderPromptTitle(2, 3);
    UiScript script;
    AnswerChooser(script, title, m_root.File("bot two"));
    EXPECT_EQ(Driven(script, [&] { return m_dialogs.BrowseForBotFolder(2, 3); }),
              m_root.File("bot two"));
}

TEST_F(WxUserDialogsTest, CancelledFolderPromptGivesEmptyText) {
    const std::string title = FolderPromptTitle(1, 2);
    EXPECT_EQ(Answered(title, WXK_ESCAPE, [&] { return m_dialogs.BrowseForBotFolder(1, 2); }), "");
}

TEST_F(WxUserDialogsTest, QuestionAnsweredWithEnterIsYes) {
    EXPECT_TRUE(Answered(m_title, WXK_RETURN, [&] { return m_dialogs.AskYesNo(kSaveQuestion); }));
}

TEST_F(WxUserDialogsTest, QuestionEndedWithEscapeCountsAsNo) {
    EXPECT_FALSE(Answered(m_title, WXK_ESCAPE, [&] { return m_dialogs.AskYesNo(kSaveQuestion); }));
}

TEST_F(WxUserDialogsTest, ErrorWaitsUntilAcknowledged) {
    EXPECT_TRUE(Answered(m_title, WXK_RETURN, [&] {
        m_dialogs.ShowError(kNotABotMessage);
        return true;
    }));
}

TEST_F(WxUserDialogsTest, SaveDialogGivesTheTypedPathAndCancelGivesNone) {
    const std::string path = m_root.File("saved chat.txt");
    UiScript script;
    script.Then("the save dialog shows", [&] {
        if (!FindScreenWindow("Save As")) return false;
        PointAt(*FindScreenWindow("Save As"));
        PressKey('A', wxMOD_CONTROL);
        TypeText(path);
        return true;
    });
    PressUntilGone(script, "Save As", WXK_RETURN);
    EXPECT_EQ(Driven(script, [&] { return m_dialogs.AskSavePath(); }),
              std::optional<std::string>(path));
    EXPECT_EQ(Answered("Save As", WXK_ESCAPE, [&] { return m_dialogs.AskSavePath(); }),
              std::nullopt);
}

TEST_F(WxUserDialogsTest, BotCountDialogGivesTheAcceptedCount) {
    EXPECT_EQ(Answered("Number of bots", WXK_RETURN, [&] { return m_dialogs.AskBotCount(); }),
              std::optional<int>(2));
    EXPECT_EQ(Answered("Number of bots", WXK_ESCAPE, [&] { return m_dialogs.AskBotCount(); }),
              std::nullopt);
}

TEST_F(WxUserDialogsTest, AboutBoxClosesWithEnterOrEscape) {
    for (int key : {WXK_RETURN, WXK_ESCAPE}) {
        EXPECT_TRUE(Answered("About Jabbery 3.0.1", key, [&] {
            m_dialogs.ShowAboutBox();
            return true;
        }));
    }
}

}  // namespace
}  // namespace jabbery
