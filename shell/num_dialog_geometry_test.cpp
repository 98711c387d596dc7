#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "shell/gui_test_support.h"
#include "shell/num_dialog.h"
#include "shell/up_down.h"

namespace jabbery {
namespace {

using namespace testing;

// The controls' rectangles in dialog units, as the template draws them,
// each big enough for what it shows; the arrows step the count.
TEST(NumDialogGeometry, AnUpDownInsideTheEditsRectangleAndButtonsOfFiftyByFourteen) {
    CNumDialog dialog(nullptr, {});
    const auto units = [&](int x, int y, int width, int height) {
        return wxRect(dialog.ConvertDialogToPixels(wxPoint(x, y)),
                      dialog.ConvertDialogToPixels(wxSize(width, height)));
    };
    const wxRect edit = dialog.CountEdit()->GetRect();
    const wxRect arrows = dialog.CountSpin()->GetRect();
    EXPECT_EQ(wxRect(edit.GetPosition(), arrows.GetBottomRight()), units(59, 33, 40, 12));
    EXPECT_EQ(arrows.GetSize(), units(0, 0, 11, 12).GetSize());
    EXPECT_EQ(arrows.x, edit.GetRight() + 1);
    EXPECT_EQ(dialog.FindWindow(wxID_OK)->GetRect(), units(129, 69, 50, 14));
    EXPECT_EQ(dialog.FindWindow(CNumDialog::kManualId)->GetRect(), units(7, 69, 50, 14));
    for (wxWindow* control :
         {static_cast<wxWindow*>(dialog.CountEdit()), dialog.FindWindow(wxID_OK),
          dialog.FindWindow(CNumDialog::kManualId)}) {
        EXPECT_LE(control->GetBestSize().y, control->GetSize().y) << control->GetLabel();
    }
    EXPECT_LE(dialog.FindWindow(CNumDialog::kManualId)->GetBestSize().x, units(0, 0, 50, 0).width);

    UiScript script;
    script.Then("the dialog shows", [] { return FindScreenWindow("Number of bots").has_value(); })
        .Wait(300ms);
    script.Do("click the upper arrow twice, the lower once", [&] {
        const wxRect screen = dialog.CountSpin()->GetScreenRect();
        for (int y : {screen.y + 2, screen.y + 2, screen.GetBottom() - 2}) {
            wxUIActionSimulator().MouseMove(screen.x + screen.width / 2, y);
            wxUIActionSimulator().MouseClick();
        }
    });
    script.Then("the edit shows 3", [&] { return dialog.CountEdit()->GetValue() == "3"; });
    script.Do("Escape", [&] { dialog.EndModal(wxID_CANCEL); });
    script.Drive([&] { return dialog.DoModal(); });
}

}  // namespace
}  // namespace jabbery
