// SPDX-License-Identifier: MIT
#include "shell/dialog_units.h"

#include <wx/display.h>
#include <wx/toplevel.h>

#include <algorithm>

namespace jabbery {

DialogRect DialogUnits(wxWindow* dialog, int x, int y, int width, int height) {
    return {dialog->ConvertDialogToPixels(wxPoint(x, y)),
            dialog->ConvertDialogToPixels(wxSize(width, height))};
}

void SetClientSizeInDialogUnits(wxWindow* dialog, int width, int height) {
    dialog->SetClientSize(dialog->ConvertDialogToPixels(wxSize(width, height)));
}

void CentreWithinScreen(wxTopLevelWindow* window) {
    const wxRect area = wxDisplay(window).GetClientArea();
    wxSize size = window->GetSize();
    size.DecTo(area.GetSize());
    window->SetSize(size);
    window->CentreOnScreen();
    // Centring can still leave the title bar above the top of a small work area.
    wxRect rect = window->GetRect();
    rect.x = std::clamp(rect.x, area.x, std::max(area.x, area.GetRight() - rect.width + 1));
    rect.y = std::clamp(rect.y, area.y, std::max(area.y, area.GetBottom() - rect.height + 1));
    window->Move(rect.GetPosition());
}

}  // namespace jabbery
