// SPDX-License-Identifier: MIT
#include <gtk/gtk.h>
#include <wx/textctrl.h>

#include "shell/native_view.h"

namespace jabbery {
namespace {

// The widget that takes the focus: a multi-line text control's handle is a
// scrolled window around its GTK text view.
GtkWidget* FocusWidget(wxWindow& window) {
    GtkWidget* handle = static_cast<GtkWidget*>(window.GetHandle());
    if (handle != nullptr && GTK_IS_SCROLLED_WINDOW(handle)) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(handle));
        if (child != nullptr) return child;
    }
    return handle;
}

}  // namespace

void HideCaret(wxTextCtrl& view) {
    GtkWidget* widget = FocusWidget(view);
    if (widget != nullptr && GTK_IS_TEXT_VIEW(widget)) {
        gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(widget), FALSE);
    }
}

void SetAccessibleName(wxWindow& window, const wxString& name) {
    GtkWidget* widget = FocusWidget(window);
    if (widget == nullptr) return;
    // GTK builds the widget's accessible object itself; the framework offers
    // no way to name it on this platform.
    atk_object_set_name(gtk_widget_get_accessible(widget), name.utf8_str());
}

void AllowCompactSize(wxWindow& control) {
    GtkWidget* widget = static_cast<GtkWidget*>(control.GetHandle());
    if (widget == nullptr) return;
    static GtkCssProvider* const compact = [] {
        GtkCssProvider* provider = gtk_css_provider_new();
        gtk_css_provider_load_from_data(
            provider, "* { min-height: 0; min-width: 0; padding: 0 2px; }", -1, nullptr);
        return provider;
    }();
    // Above the theme, for this widget alone.
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                   GTK_STYLE_PROVIDER(compact),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

}  // namespace jabbery
