// SPDX-License-Identifier: MIT
#pragma once

#include <wx/dialog.h>

namespace jabbery {

// The About box: the program's icon, its version and a one-line notice,
// closed with OK, Enter, Escape or the close box.
class CAboutDialog : public wxDialog {
  public:
    explicit CAboutDialog(wxWindow* parent);
};

// Shows the About box modally over `parent` (which is disabled meanwhile;
// the conversation goes on behind it).
void ShowAboutBox(wxWindow* parent);

}  // namespace jabbery
