#include "shell/num_dialog.h"

#include <gtest/gtest.h>
#include <wx/button.h>
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

// Adds steps that wait until `dialog` is on the screen, and point at it.
void WaitUntilShown(UiScript& script, CNumDialog& dialog) {
    script.Then("the dialog shows", [&dialog] {
        if (!FindScreenWindow("Number of bots")) return false;
        PointAt(&dialog);
        return true;
    });
    // A window just mapped may miss the first keys.
    script.Wait(300ms);
}

TEST(NumDialog, OpensShowingTwoWithTheFocusOnOkAndEndsWithEnterEscapeOrTheCloseBox) {
    const struct {
        std::function<void(CNumDialog&)> m_end;
        int m_result;
        int m_count;
    } cases[] = {{[](CNumDialog&) { PressKey(WXK_RETURN); }, wxID_OK, 2},
                 {[](CNumDialog&) { PressKey(WXK_ESCAPE); }, wxID_CANCEL, 0},
                 // What the window manager's close box sends.
                 {[](CNumDialog& dialog) { dialog.Close(); }, wxID_CANCEL, 0}};
    for (const auto& c : cases) {
        CNumDialog dialog(nullptr, {});
        std::string shown_at_start;
        bool ok_had_focus = false;
        UiScript script;
        WaitUntilShown(script, dialog);
        script.Do("look, end it", [&] {
            shown_at_start = dialog.CountEdit()->GetValue().ToStdString();
            ok_had_focus = wxWindow::FindFocus() == dialog.FindWindow(wxID_OK);
            c.m_end(dialog);
        });
        EXPECT_EQ(script.Drive([&] { return dialog.DoModal(); }), c.m_result);
        EXPECT_EQ(shown_at_start, "2");
        EXPECT_TRUE(ok_had_focus);
        EXPECT_EQ(dialog.GetBotCount(), c.m_count);
    }
}

// The dialog, shown and driven by a script with real keys.
class NumDialogTest : public ::testing::Test {
  protected:
    NumDialogTest() : m_dialog(nullptr, [this] { ++m_manualOpened; }) {}

    wxButton* Ok() { return wxDynamicCast(m_dialog.FindWindow(wxID_OK), wxButton); }
    std::string Shown() { return m_dialog.CountEdit()->GetValue().ToStdString(); }
    // Presses `key` `times` times in `window`, then waits until the edit
    // shows `expected` and still does a moment later.
    void Press(wxWindow* window, int key, int times, const std::string& expected) {
        m_script.Do("press a key " + std::to_string(times) + " times", [=, this] {
            ClickOn(m_dialog.CountEdit());
            window->SetFocus();
            for (int i = 0; i < times; ++i) PressKey(key);
        });
        m_script.Then("the edit shows " + expected, [=, this] { return Shown() == expected; });
        m_script.Wait(300ms);
        m_script.Then("it still does", [=, this] { return Shown() == expected; });
    }
    // Types `text` over the count and presses OK.
    void Enter(const std::string& text) {
        m_script.Do("type " + text, [=, this] {
            ClickOn(m_dialog.CountEdit());
            PressKey('A', wxMOD_CONTROL);
            TypeText(text);
        });
        m_script.Then("the edit shows " + text, [=, this] { return Shown() == text; });
        m_script.Do("press OK", [this] { ClickOn(Ok()); });
    }

    int m_manualOpened = 0;
    CNumDialog m_dialog;
    UiScript m_script;
};

TEST_F(NumDialogTest, ArrowsStopAtTheEndsCountsOutOfRangeAreRefusedAndTheManualOpens) {
    const std::string title = ProgramTitle().ToStdString();
    int spin_at_top = -1;
    int refusals = 0;
    WaitUntilShown(m_script, m_dialog);
    // In the edit, and on the up-down control itself.
    Press(m_dialog.CountEdit(), WXK_UP, 16, "15");
    m_script.Do("note the up-down", [&] { spin_at_top = m_dialog.CountSpin()->GetValue(); });
    Press(m_dialog.CountEdit(), WXK_DOWN, 18, "0");
    Press(m_dialog.CountSpin(), WXK_UP, 16, "15");
    for (const char* refused : {"20", "1"}) {
        Enter(refused);
        m_script.Then("a message box says no",
                      [&] { return FindScreenWindow(title) && ++refusals > 0; });
        AnswerWithKey(m_script, title, WXK_RETURN);
        m_script.Then("the dialog is still open", [this] { return m_dialog.IsModal(); });
    }
    m_script.Do("press View manual",
                [this] { ClickOn(m_dialog.FindWindow(CNumDialog::kManualId)); });
    m_script.Then("the manual opened", [this] { return m_manualOpened == 1; });
    Enter("3");
    EXPECT_EQ(m_script.Drive([this] { return m_dialog.DoModal(); }), wxID_OK);
    EXPECT_EQ(spin_at_top, 15);
    EXPECT_EQ(refusals, 2);
    EXPECT_EQ(m_dialog.GetBotCount(), 3);
}

TEST_F(NumDialogTest, LaysOutItsControlsInDialogUnits) {
    EXPECT_EQ(m_dialog.GetTitle(), "Number of bots");
    EXPECT_EQ(m_dialog.GetClientSize(), m_dialog.ConvertDialogToPixels(wxSize(186, 90)));
    EXPECT_EQ(Ok()->GetPosition(), m_dialog.ConvertDialogToPixels(wxPoint(129, 69)));
    EXPECT_EQ(m_dialog.FindWindow(CNumDialog::kManualId)->GetPosition(),
              m_dialog.ConvertDialogToPixels(wxPoint(7, 69)));
    EXPECT_EQ(m_dialog.CountEdit()->GetPosition(), m_dialog.ConvertDialogToPixels(wxPoint(59, 33)));
    EXPECT_EQ(m_dialog.CountEdit()->GetId(), 1001);
    EXPECT_EQ(m_dialog.CountSpin()->GetId(), 1005);
    EXPECT_EQ(m_dialog.CountSpin()->GetMin(), 0);
    EXPECT_EQ(m_dialog.CountSpin()->GetMax(), 15);
    EXPECT_FALSE(m_dialog.HasFlag(wxRESIZE_BORDER));
}

}  // namespace
}  // namespace jabbery
