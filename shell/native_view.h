// SPDX-License-Identifier: MIT
#pragma once

class wxString;
class wxTextCtrl;
class wxWindow;

namespace jabbery {

// Hides the caret of a read-only multi-line text control: there is nothing
// to type, and a blinking caret in the transcript only distracts.
void HideCaret(wxTextCtrl& view);

// Gives `window` the name screen readers announce for it (a multi-line text
// control: its text area, which is what takes the focus).
void SetAccessibleName(wxWindow& window, const wxString& name);

// Lets `control` be as small as the layout places it: the theme's minimum
// height and padding of entries and buttons are larger than a dialog
// layout's 12- and 14-unit rows.
void AllowCompactSize(wxWindow& control);

}  // namespace jabbery
