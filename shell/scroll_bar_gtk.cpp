// SPDX-License-Identifier: MIT
#include <gtk/gtk.h>
#include <wx/textctrl.h>

#include "shell/scroll_bar.h"

namespace jabbery {

void KeepVerticalScrollBarShown(wxTextCtrl& view) {
    // A multi-line text control is a GTK text view inside a scrolled window,
    // and the scrolled window is the control's handle.
    GtkWidget* handle = static_cast<GtkWidget*>(view.GetHandle());
    if (handle == nullptr || !GTK_IS_SCROLLED_WINDOW(handle)) return;
    GtkScrolledWindow* scrolled = GTK_SCROLLED_WINDOW(handle);
    // GTK 3 draws overlay bars that appear only while scrolling; a classic
    // bar, always there, is what the transcript wants.
    gtk_scrolled_window_set_overlay_scrolling(scrolled, FALSE);
    gtk_scrolled_window_set_policy(scrolled, GTK_POLICY_NEVER, GTK_POLICY_ALWAYS);
}

}  // namespace jabbery
