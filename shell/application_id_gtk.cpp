// SPDX-License-Identifier: MIT
#include <glib.h>
#include <wx/app.h>

#include "shell/application_id.h"

namespace jabbery {

void UseApplicationId() {
    // GTK names every new window after the program name: it is the instance
    // half of WM_CLASS on X11 and the app id on Wayland.
    g_set_prgname(kApplicationId);
    // The framework makes the application's name the class half of WM_CLASS
    // (a display name, when set, would take its place there).
    wxTheApp->SetAppName(kApplicationId);
}

}  // namespace jabbery
