// SPDX-License-Identifier: MIT
#pragma once

#include <wx/gdicmn.h>

class wxTopLevelWindow;
class wxWindow;

namespace jabbery {

// A control's place given in dialog units, as the window layouts are
// written (x, y, width, height), converted to pixels for `dialog`'s font.
struct DialogRect {
    wxPoint m_position;
    wxSize m_size;
};
DialogRect DialogUnits(wxWindow* dialog, int x, int y, int width, int height);

// Sets `dialog`'s client area to `width` x `height` dialog units.
void SetClientSizeInDialogUnits(wxWindow* dialog, int width, int height);

// Shrinks the top-level `window` to its display's work area where it is
// larger, and centres it there with its title bar in sight.
void CentreWithinScreen(wxTopLevelWindow* window);

}  // namespace jabbery
