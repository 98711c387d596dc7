// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

class wxTextCtrl;

namespace jabbery {

// Keeps `view`'s vertical scroll bar in sight at all times, also while the
// text fits and while the pointer is elsewhere, so the user always sees
// where in a long conversation they are.
void KeepVerticalScrollBarShown(wxTextCtrl& view);

// Calls `used` whenever the user presses on `view`'s vertical scroll bar or
// turns the wheel over it, before the bar moves; the framework reports no
// events of its own for the bar.
void WatchVerticalScrollBar(wxTextCtrl& view, std::function<void()> used);

}  // namespace jabbery
