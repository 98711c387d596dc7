#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/display.h>
#include <wx/textctrl.h>

#include "shell/chat_dialog.h"
#include "shell/gui_test_child.h"
#include "shell/gui_test_support.h"
#include "shell/num_dialog.h"
#include "shell/rtf_view.h"
#include "shell/up_down.h"

namespace jabbery {
namespace {

using namespace testing;

wxRect RectOf(CChatDialog& window, int id) {
    return window.FindWindow(id)->GetRect();
}

TEST(ChatDialogWindow, ResizingGrowsTheViewAndKeepsTheButtonsAlongTheBottom) {
    ScriptedDialogs dialogs;
    CChatDialog window(nullptr, {}, &dialogs);
    window.Show();
    const wxRect view = RectOf(window, CChatDialog::kViewId);
    const wxRect manual = RectOf(window, CChatDialog::kManualId);
    const wxRect exit = RectOf(window, CChatDialog::kExitId);
    const wxSize grown = window.GetClientSize() + wxSize(300, 120);
    window.SetClientSize(grown);
    ASSERT_TRUE(RunEventsUntil([&] { return window.GetClientSize() == grown; }, 10s));
    RunEventsUntil([] { return false; }, 200ms);
    EXPECT_EQ(RectOf(window, CChatDialog::kViewId),
              wxRect(view.GetPosition(), view.GetSize() + wxSize(300, 120)));
    EXPECT_EQ(RectOf(window, CChatDialog::kManualId),
              wxRect(manual.GetPosition() + wxPoint(0, 120), manual.GetSize()));
    EXPECT_EQ(RectOf(window, CChatDialog::kExitId),
              wxRect(exit.GetPosition() + wxPoint(300, 120), exit.GetSize()));
    const wxRect about = RectOf(window, CChatDialog::kAboutId);
    EXPECT_NEAR(about.x + about.width / 2, grown.x / 2, 2) << "About stays centred";

    // Made as small as it goes, it still holds the three buttons side by side.
    window.SetClientSize(wxSize(10, 10));
    RunEventsUntil([] { return false; }, 300ms);
    EXPECT_LT(RectOf(window, CChatDialog::kManualId).GetRight(),
              RectOf(window, CChatDialog::kAboutId).x);
    EXPECT_LT(RectOf(window, CChatDialog::kAboutId).GetRight(),
              RectOf(window, CChatDialog::kExitId).x);
    EXPECT_LE(RectOf(window, CChatDialog::kExitId).GetRight(), window.GetClientSize().x);
    EXPECT_GT(RectOf(window, CChatDialog::kViewId).height, 0);
}

// At GDK_SCALE=2 a 1280x800 screen is 640x400 to the window, less than the
// template's height: the window shrinks to fit and stays wholly on screen.
TEST(ChatDialogWindow, FitsA1280x800ScreenAtScaleTwo) {
    if (!InOwnDisplay()) {
        EXPECT_TRUE(RunInOwnDisplay("ChatDialogWindow.FitsA1280x800ScreenAtScaleTwo", 1280, 800,
                                    {"GDK_SCALE=2"}));
        return;
    }
    ScriptedDialogs dialogs;
    CChatDialog window(nullptr, {}, &dialogs);
    const wxRect area = wxDisplay(&window).GetClientArea();
    ASSERT_GT(window.GetSize().y, area.height) << "the screen is big enough anyway";
    window.FitOnScreen();
    window.Show();
    RunEventsUntil([&] { return window.IsShownOnScreen(); }, 10s);
    EXPECT_TRUE(area.Contains(window.GetScreenRect())) << area.height;
    EXPECT_TRUE(window.GetClientRect().Contains(RectOf(window, CChatDialog::kExitId)));
}

TEST(ChatDialogWindow, ButtonsHaveMnemonicsAndTheCountDialogsControlsNames) {
    ScriptedDialogs dialogs;
    CChatDialog window(nullptr, {}, &dialogs);
    EXPECT_EQ(window.FindWindow(CChatDialog::kExitId)->GetLabel(), "E&xit");
    EXPECT_EQ(window.FindWindow(CChatDialog::kManualId)->GetLabel(), "&Manual");
    EXPECT_EQ(window.FindWindow(CChatDialog::kAboutId)->GetLabel(), "&About");
    CNumDialog count(nullptr, {});
    const auto name = [](auto* control) {
        return std::string(atk_object_get_name(
            gtk_widget_get_accessible(static_cast<GtkWidget*>(control->GetHandle()))));
    };
    EXPECT_EQ(name(count.CountEdit()), "Number of bots");
    EXPECT_EQ(name(count.CountSpin()), "Change the number of bots");
}

}  // namespace
}  // namespace jabbery
