#include "shell/wx_user_dialogs.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include "engine/conversation.h"
#include "engine/roster.h"
#include "engine/test_bots.h"
#include "platform/test_environment.h"
#include "shell/folder_prompt.h"
#include "shell/gui_test_support.h"
#include "shell/program_title.h"

namespace jabbery {
namespace {

using namespace testing;

TEST(FolderPrompt, TitleNamesTheBotAndStartsInTheUsersBotsWithTheBundledOnesCopied) {
    EXPECT_EQ(FolderPromptTitle(15, 15), "Select the folder in which bot 15 of 15 is installed:");
    TempFolder data;
    ScopedVariable data_home("XDG_DATA_HOME", data.Path());
    std::string error;
    EXPECT_EQ(PromptStartFolder(error), data.File("jabbery/bots"));
    EXPECT_EQ(error, "");
    // The test program lives in the build tree's shell folder, as jabbery does.
    for (const char* bot : {"brixley", "hask", "ottilie", "wren"}) {
        EXPECT_TRUE(
            std::filesystem::is_regular_file(data.File("jabbery/bots/") + bot + "/vorn.nfo"))
            << bot;
    }
}

// The real dialogs over a shown main window. Escape gives each one's cancel
// answer (the other answers are tried in the main window's tests); a message
// and the About box show until a key closes them.
TEST(WxUserDialogs, EscapeGivesEachDialogsCancelAnswer) {
    auto* main = new wxFrame(nullptr, wxID_ANY, "Main", wxPoint(100, 100), wxSize(500, 400));
    main->Show();
    EXPECT_TRUE(RunEventsUntil([] { return FindScreenWindow("Main").has_value(); }, 10s));
    WxUserDialogs dialogs(main);
    const auto escaped = [](const std::string& title, auto call) {
        UiScript script;
        AnswerWithKey(script, title, WXK_ESCAPE);
        return script.Drive(call);
    };
    EXPECT_EQ(escaped("Number of bots", [&] { return dialogs.AskBotCount(); }), std::nullopt);
    EXPECT_EQ(escaped(FolderPromptTitle(1, 2), [&] { return dialogs.BrowseForBotFolder(1, 2); }),
              "");
    const std::string message_title = ProgramTitle().ToStdString();
    EXPECT_FALSE(escaped(message_title, [&] { return dialogs.AskYesNo(kSaveQuestion); }));
    EXPECT_EQ(escaped("Save As", [&] { return dialogs.AskSavePath(); }), std::nullopt);
    escaped(message_title, [&] {
        dialogs.ShowError(kNotABotMessage);
        return 0;
    });
    escaped("About Jabbery 3.0.1", [&] {
        dialogs.ShowAboutBox();
        return 0;
    });
    // A top-level window deletes itself once the event loop runs again.
    main->Destroy();
    RunEventsUntil([] { return wxTopLevelWindows.empty(); }, 10s);
}

}  // namespace
}  // namespace jabbery
