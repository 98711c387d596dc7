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

TEST(CountRefusal, AcceptsTwoToFifteen) {
    for (int count = 2; count <= 15; ++count) {
        EXPECT_EQ(CountRefusal(std::to_string(count)), "") << count;
    }
    EXPECT_EQ(CountRefusal(" 07 "), "");
}

TEST(CountRefusal, RefusesOtherCountsNamingTheAllowedRange) {
    for (const char* text : {"0", "1", "16", "20", "99999999999999999999999"}) {
        const std::string refusal = CountRefusal(text);
        EXPECT_NE(refusal.find("2 to 15"), std::string::npos) << text << ": " << refusal;
    }
    EXPECT_NE(CountRefusal("20").find("20"), std::string::npos);
}

TEST(CountRefusal, RefusesTextThatIsNoNumber) {
    for (const char* text : {"", "  ", "3a", "-"}) {
        EXPECT_NE(CountRefusal(text).find("2 to 15"), std::string::npos) << text;
    }
}

// Opens the dialog and runs `steps` on it; the last step must end it.
class NumDialogTest : public ::testing::Test {
  protected:
    NumDialogTest() : m_dialog(nullptr, [this] { ++m_manualOpened; }) {}

    wxButton* Ok() { return wxDynamicCast(m_dialog.FindWindow(wxID_OK), wxButton); }
    wxButton* Manual() {
        return wxDynamicCast(m_dialog.FindWindow(CNumDialog::kManualId), wxButton);
    }
    std::string Shown() { return m_dialog.CountEdit()->GetValue().ToStdString(); }

    // The dialog is mapped on the screen and under the pointer.
    void WaitUntilShown() {
        m_script.Then("the dialog shows", [this] {
            if (!FindScreenWindow("Number of bots")) return false;
            PointAt(&m_dialog);
            return true;
        });
        // A window just mapped may miss the first keys.
        m_script.Wait(300ms);
    }
    // Replaces the count by typing `text` into the edit.
    void Type(const std::string& text) {
        m_script.Do("type " + text, [this, text] {
            ClickOn(m_dialog.CountEdit());
            PressKey('A', wxMOD_CONTROL);
            TypeText(text);
        });
        m_script.Then("the edit shows " + text, [this, text] { return Shown() == text; });
    }
    int Run() {
        m_script.Start();
        const int result = m_dialog.DoModal();
        m_script.Stop();
        EXPECT_EQ(m_script.Failure(), "");
        return result;
    }

    int m_manualOpened = 0;
    CNumDialog m_dialog;
    UiScript m_script;
};

TEST_F(NumDialogTest, OpensShowingTwoWithTheFocusOnOkAndEnterGivesTwo) {
    std::string shown_at_start;
    bool ok_had_focus = false;
    WaitUntilShown();
    m_script.Do("look, then press Enter", [&] {
        shown_at_start = Shown();
        ok_had_focus = wxWindow::FindFocus() == Ok();
        PressKey(WXK_RETURN);
    });
    EXPECT_EQ(Run(), wxID_OK);
    EXPECT_EQ(shown_at_start, "2");
    EXPECT_TRUE(ok_had_focus);
    EXPECT_EQ(m_dialog.GetBotCount(), 2);
}

TEST_F(NumDialogTest, ArrowKeysStopAtFifteenAndAtZeroWithoutWrapping) {
    std::string after_up;
    std::string after_down;
    int spin_after_up = -1;
    WaitUntilShown();
    m_script.Do("press Up 20 times in the edit", [&] {
        ClickOn(m_dialog.CountEdit());
        for (int i = 0; i < 20; ++i) PressKey(WXK_UP);
    });
    m_script.Then("the count reaches 15", [&] { return Shown() == "15"; });
    m_script.Wait(300ms);
    m_script.Do("note it, press Down 20 times", [&] {
        after_up = Shown();
        spin_after_up = m_dialog.CountSpin()->GetValue();
        for (int i = 0; i < 20; ++i) PressKey(WXK_DOWN);
    });
    m_script.Then("the count reaches 0", [&] { return Shown() == "0"; });
    m_script.Wait(300ms);
    m_script.Do("note it, press Escape", [&] {
        after_down = Shown();
        PressKey(WXK_ESCAPE);
    });
    EXPECT_EQ(Run(), wxID_CANCEL);
    EXPECT_EQ(after_up, "15");
    EXPECT_EQ(spin_after_up, 15);
    EXPECT_EQ(after_down, "0");
}

TEST_F(NumDialogTest, TheUpDownControlStepsTheEditAndStopsAtItsEnds) {
    std::vector<std::string> seen;
    WaitUntilShown();
    m_script.Do("press Up on the up-down control 16 times", [&] {
        ClickOn(m_dialog.CountEdit());
        m_dialog.CountSpin()->SetFocus();
        for (int i = 0; i < 16; ++i) PressKey(WXK_UP);
    });
    m_script.Then("the edit follows to 15", [&] { return Shown() == "15"; });
    m_script.Wait(300ms);
    m_script.Do("note it, end", [&] {
        seen.push_back(Shown());
        PressKey(WXK_ESCAPE);
    });
    EXPECT_EQ(Run(), wxID_CANCEL);
    EXPECT_EQ(seen, std::vector<std::string>{"15"});
}

TEST_F(NumDialogTest, TwentyAndOneAreRefusedWithAMessageAndTheDialogStaysOpen) {
    const std::string title = ProgramTitle().ToStdString();
    int refusals = 0;
    WaitUntilShown();
    for (const char* refused : {"20", "1"}) {
        Type(refused);
        m_script.Do("press OK", [&] { ClickOn(Ok()); });
        m_script.Then("a message box says no", [&, title] {
            if (!FindScreenWindow(title)) return false;
            ++refusals;
            return PressKeyIn(title, WXK_RETURN);
        });
        m_script.Then("the message box is gone, the dialog still open",
                      [&, title] { return !FindScreenWindow(title) && m_dialog.IsModal(); });
    }
    Type("3");
    m_script.Do("press OK", [&] { ClickOn(Ok()); });
    EXPECT_EQ(Run(), wxID_OK);
    EXPECT_EQ(refusals, 2);
    EXPECT_EQ(m_dialog.GetBotCount(), 3);
}

TEST_F(NumDialogTest, EscapeEndsTheDialogWithoutACount) {
    WaitUntilShown();
    m_script.Do("press Escape", [] { PressKey(WXK_ESCAPE); });
    EXPECT_EQ(Run(), wxID_CANCEL);
    EXPECT_EQ(m_dialog.GetBotCount(), 0);
}

TEST_F(NumDialogTest, TheCloseBoxEndsTheDialogWithoutACount) {
    WaitUntilShown();
    // What the window manager's close box sends.
    m_script.Do("close the window", [this] { m_dialog.Close(); });
    EXPECT_EQ(Run(), wxID_CANCEL);
    EXPECT_EQ(m_dialog.GetBotCount(), 0);
}

TEST_F(NumDialogTest, ViewManualOpensTheManualAndLeavesTheDialogOpen) {
    bool open_after_manual = false;
    WaitUntilShown();
    m_script.Do("press View manual", [&] { ClickOn(Manual()); });
    m_script.Then("the manual was opened", [&] { return m_manualOpened == 1; });
    m_script.Wait(300ms);
    m_script.Do("press Enter on OK", [&] {
        open_after_manual = m_dialog.IsModal();
        ClickOn(Ok());
    });
    EXPECT_EQ(Run(), wxID_OK);
    EXPECT_TRUE(open_after_manual);
    EXPECT_EQ(m_dialog.GetBotCount(), 2);
}

TEST_F(NumDialogTest, LaysOutItsControlsInDialogUnits) {
    const wxSize client = m_dialog.GetClientSize();
    EXPECT_EQ(client, m_dialog.ConvertDialogToPixels(wxSize(186, 90)));
    EXPECT_EQ(Ok()->GetPosition(), m_dialog.ConvertDialogToPixels(wxPoint(129, 69)));
    EXPECT_EQ(Manual()->GetPosition(), m_dialog.ConvertDialogToPixels(wxPoint(7, 69)));
    EXPECT_EQ(m_dialog.CountEdit()->GetPosition(), m_dialog.ConvertDialogToPixels(wxPoint(59, 33)));
    EXPECT_EQ(m_dialog.GetTitle(), "Number of bots");
    EXPECT_EQ(m_dialog.CountEdit()->GetId(), 1001);
    EXPECT_EQ(m_dialog.CountSpin()->GetId(), 1005);
    EXPECT_EQ(m_dialog.CountSpin()->GetMin(), 0);
    EXPECT_EQ(m_dialog.CountSpin()->GetMax(), 15);
    EXPECT_FALSE(m_dialog.HasFlag(wxRESIZE_BORDER));
}

}  // namespace
}  // namespace jabbery
