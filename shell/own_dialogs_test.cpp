#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/html/htmlwin.h>
#include <wx/utils.h>

#include "platform/test_temp_folder.h"
#include "shell/gui_test_support.h"
#include "shell/manual.h"
#include "shell/manual_window.h"
#include "shell/wx_user_dialogs.h"
#include "transcript/file_names.h"

namespace jabbery {
namespace {

using namespace testing;

// The real save dialog, answered with real keys: Return takes what it suggests.
TEST(SaveDialog, SuggestsADatedNameInTheFolderLastUsedAndAddsTheExtension) {
    TempFolder root;
    std::filesystem::create_directories(root.File("sub"));
    const wxString old_folder = wxGetCwd();
    wxSetWorkingDirectory(root.Path());
    WxUserDialogs dialogs;
    const auto ask = [&](const std::function<void(UiScript&)>& answer) {
        UiScript script;
        answer(script);
        return script.Drive([&] { return dialogs.AskSavePath(); }).value_or("cancelled");
    };
    const auto take_suggestion = [](UiScript& script) {
        AnswerWithKey(script, "Save As", WXK_RETURN);
    };
    const std::string suggested = SuggestedTranscriptName(".txt");
    EXPECT_EQ(ask(take_suggestion), root.File(suggested));
    EXPECT_EQ(ask([&](UiScript& script) {
                  AnswerChooser(script, "Save As", 'A', root.File("sub/chat"));
              }),
              root.File("sub/chat.txt"));
    EXPECT_EQ(ask(take_suggestion), root.File("sub/" + suggested));
    wxSetWorkingDirectory(old_folder);
}

// With no program on the PATH at all (no browser, no xdg-open), the manual
// shows in the program's own window.
TEST(ManualWindow, ShowsTheManualWithoutAnyOtherProgram) {
    TempFolder root;
    WriteFile(root.File("jabbhelp.html"), "<html><body><p>Jabbery links bots.</p></body></html>");
    const wxString old_folder = wxGetCwd();
    const std::string old_path = std::getenv("PATH");
    wxSetWorkingDirectory(root.Path());
    ::setenv("PATH", root.File("nothing").c_str(), 1);
    OpenManual(nullptr);
    ::setenv("PATH", old_path.c_str(), 1);
    wxSetWorkingDirectory(old_folder);

    CManualWindow* window = nullptr;
    for (wxWindow* top : wxTopLevelWindows) {
        if (auto* manual = wxDynamicCast(top, CManualWindow)) window = manual;
    }
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(RunEventsUntil([&] { return window->IsShownOnScreen(); }, 10s));
    EXPECT_TRUE(window->Page()->ToText().Contains("Jabbery links bots."))
        << window->Page()->ToText();
    EXPECT_TRUE(window->Page()->GetOpenedPage().EndsWith("jabbhelp.html"));
    window->Close();
    EXPECT_TRUE(RunEventsUntil([] { return wxTopLevelWindows.IsEmpty(); }, 10s));
}

}  // namespace
}  // namespace jabbery
