// SPDX-License-Identifier: MIT
#include "shell/dialog_units.h"

#include <wx/window.h>

namespace jabbery {

DialogRect DialogUnits(wxWindow* dialog, int x, int y, int width, int height) {
    return {dialog->ConvertDialogToPixels(wxPoint(x, y)),
            dialog->ConvertDialogToPixels(wxSize(width, height))};
}

void SetClientSizeInDialogUnits(wxWindow* dialog, int width, int height) {
    dialog->SetClientSize(dialog->ConvertDialogToPixels(wxSize(width, height)));
}

}  // namespace jabbery
