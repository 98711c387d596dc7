// SPDX-License-Identifier: MIT
#pragma once

class wxTextCtrl;

namespace jabbery {

// Keeps `view`'s vertical scroll bar in sight at all times, also while the
// text fits and while the pointer is elsewhere, so the user always sees
// where in a long conversation they are.
void KeepVerticalScrollBarShown(wxTextCtrl& view);

}  // namespace jabbery
