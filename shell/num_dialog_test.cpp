#include "shell/num_dialog.h"

#include <gtest/gtest.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>

#include "shell/gui_test_support.h"
#include "shell/program_title.h"

namespace jabbery {
namespace {

using namespace testing;

TEST(CountRefusal, AcceptsTwoToFifteenAndRefusesAllElseNamingTheRange) {
    for (int count = 2; count <= 15; ++count) EXPECT_EQ(CountRefusal(std::to_string(count)), "");
    EXPECT_EQ(CountRefusal(" 07 "), "");
    for (const char* text :
         {"0", "1", "16", "20", "99999999999999999999999", "", "  ", "3a", "-"}) {
        EXPECT_NE(CountRefusal(text).find("2 to 15"), std::string::npos) << text;
    }
    EXPECT_NE(CountRefusal("20").find("20"), std::string::npos);
}

// Enter and Escape are tried with the real dialogs in the main window's
// tests; here the window manager's close box.
TEST(NumDialog, OpensShowingTwoWithTheFocusOnOkAndTheCloseBoxCancels) {
    CNumDialog dialog(nullptr, {});
    std::string shown_at_start;
    bool ok_had_focus = false;
    UiScript script;
    script.Then("the dialog shows", [] { return FindScreenWindow("Number of bots").has_value(); })
        .Wait(300ms);  // a window just mapped may not have its focus yet
    script.Do("look, close it", [&] {
        shown_at_start = dialog.CountEdit()->GetValue().ToStdString();
        ok_had_focus = wxWindow::FindFocus() == dialog.FindWindow(wxID_OK);
        dialog.Close();
    });
    EXPECT_EQ(script.Drive([&] { return dialog.DoModal(); }), wxID_CANCEL);
    EXPECT_EQ(shown_at_start, "2");
    EXPECT_TRUE(ok_had_focus);
    EXPECT_EQ(dialog.GetBotCount(), 0);
}

TEST(NumDialog, ArrowsStopAtTheEndsCountsOutOfRangeAreRefusedAndTheManualOpens) {
    int manual_opened = 0;
    CNumDialog dialog(nullptr, [&] { ++manual_opened; });
    const auto shown = [&] { return dialog.CountEdit()->GetValue().ToStdString(); };
    UiScript script;
    // Presses `key` `times` times in `window`: the edit comes to show
    // `expected`, and still does a moment later.
    const auto press = [&](wxWindow* window, int key, int times, const std::string& expected) {
        script.Do("press a key " + std::to_string(times) + " times", [&dialog, window, key, times] {
            ClickOn(dialog.CountEdit());
            window->SetFocus();
            for (int i = 0; i < times; ++i) PressKey(key);
        });
        script.Then("the edit shows " + expected, [=] { return shown() == expected; }).Wait(300ms);
        script.Then("it still does", [=] { return shown() == expected; });
    };
    // Types `text` over the count and presses OK.
    const auto enter = [&](const std::string& text) {
        script.Do("type " + text, [&dialog, text] {
            ClickOn(dialog.CountEdit());
            PressKey('A', wxMOD_CONTROL);
            TypeText(text);
        });
        script.Then("the edit shows " + text, [=] { return shown() == text; });
        script.Do("press OK", [&dialog] { ClickOn(dialog.FindWindow(wxID_OK)); });
    };
    const std::string title = ProgramTitle().ToStdString();
    int spin_at_top = -1;
    script.Then("the dialog shows", [] { return FindScreenWindow("Number of bots").has_value(); })
        .Wait(300ms);
    // In the edit, and on the up-down control itself.
    press(dialog.CountEdit(), WXK_UP, 14, "15");
    script.Do("note the up-down", [&] { spin_at_top = dialog.CountSpin()->GetValue(); });
    press(dialog.CountEdit(), WXK_DOWN, 16, "0");
    press(dialog.CountSpin(), WXK_UP, 16, "15");
    for (const char* refused : {"20", "1"}) {
        enter(refused);
        AnswerWithKey(script, title, WXK_RETURN);  // the message box that says no
        script.Then("the dialog is still open", [&] { return dialog.IsModal(); });
    }
    script.Do("press View manual", [&] { ClickOn(dialog.FindWindow(CNumDialog::kManualId)); });
    script.Then("the manual opened", [&] { return manual_opened == 1; });
    enter("3");
    EXPECT_EQ(script.Drive([&] { return dialog.DoModal(); }), wxID_OK);
    EXPECT_EQ(spin_at_top, 15);
    EXPECT_EQ(dialog.GetBotCount(), 3);
}

}  // namespace
}  // namespace jabbery
