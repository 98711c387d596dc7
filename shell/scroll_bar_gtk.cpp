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

void WatchVerticalScrollBar(wxTextCtrl& view, std::function<void()> used) {
    GtkWidget* handle = static_cast<GtkWidget*>(view.GetHandle());
    if (handle == nullptr || !GTK_IS_SCROLLED_WINDOW(handle)) return;
    GtkWidget* bar = gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(handle));
    if (bar == nullptr) return;
    // The callback lives as long as the bar's connections: GTK deletes it
    // when the bar is destroyed.
    auto* callback = new std::function<void()>(std::move(used));
    const auto on_event = +[](GtkWidget*, GdkEvent*, gpointer data) -> gboolean {
        (*static_cast<std::function<void()>*>(data))();
        return FALSE;  // the bar still handles the event
    };
    const auto drop =
        +[](gpointer data, GClosure*) { delete static_cast<std::function<void()>*>(data); };
    g_signal_connect_data(bar, "button-press-event", G_CALLBACK(on_event), callback, drop,
                          GConnectFlags{});
    g_signal_connect(bar, "scroll-event", G_CALLBACK(on_event), callback);
}

}  // namespace jabbery
