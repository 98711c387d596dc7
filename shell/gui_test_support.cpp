// SPDX-License-Identifier: MIT
#include "shell/gui_test_support.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstdio>
#include <cstdlib>

namespace jabbery::testing {
namespace {

// The mapped X windows (over a pixel) whose title matches `pattern` (no quotes).
std::vector<wxRect> VisibleWindows(const std::string& pattern) {
    std::vector<wxRect> found;
    FILE* xdotool = ::popen(("xdotool search --onlyvisible --name '" + pattern +
                             "' getwindowgeometry --shell %@ 2>/dev/null")
                                .c_str(),
                            "r");
    if (xdotool == nullptr) return found;
    wxRect rect;  // from each window's lines X=, Y=, WIDTH=, HEIGHT=
    for (char line[256]; std::fgets(line, sizeof line, xdotool) != nullptr;) {
        std::sscanf(line, "X=%d", &rect.x);
        std::sscanf(line, "Y=%d", &rect.y);
        std::sscanf(line, "WIDTH=%d", &rect.width);
        if (std::sscanf(line, "HEIGHT=%d", &rect.height) == 1 && rect.width > 1 &&
            rect.height > 1) {
            found.push_back(rect);
        }
    }
    ::pclose(xdotool);
    return found;
}

// xdotool matches titles as regular expressions; this one matches `title` only.
std::string TitlePattern(const std::string& title) {
    std::string pattern = "^";
    for (char c : title) {
        if (std::string(".^$*+?()[]{}|\\").find(c) != std::string::npos) pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

void PointAt(const wxRect& rect) {
    wxUIActionSimulator().MouseMove(rect.GetPosition() + rect.GetSize() / 2);
}

}  // namespace

void UiScript::Notify() {
    // A step that opens a modal dialog runs further ticks: they must not re-enter.
    static bool running = false;
    if (running) return;
    const auto now = std::chrono::steady_clock::now();
    if (m_next >= m_steps.size()) {
        if (now - m_stepStarted < 30s) return;
        m_failure = "the window did not close after the last step";
    } else {
        running = true;
        const bool done = m_steps[m_next].m_step();
        running = false;
        if (done) {
            ++m_next;
            m_stepStarted = std::chrono::steady_clock::now();
            return;
        }
        if (now - m_stepStarted < m_steps[m_next].m_timeout) return;
        m_failure =
            "step " + std::to_string(m_next + 1) + " (" + m_steps[m_next].m_what + ") timed out";
    }
    Stop();
    // Ends modal dialogs, closes other windows, presses Escape over the toolkit's own.
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = wxDynamicCast(window, wxDialog);
        if (dialog != nullptr && dialog->IsModal()) {
            dialog->EndModal(wxID_CANCEL);
        } else {
            window->Close();
        }
    }
    for (const wxRect& rect : VisibleWindows(".")) {
        PointAt(rect);
        PressKey(WXK_ESCAPE);
    }
}

bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    if (done()) return true;
    wxGUIEventLoop loop;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool result = false;
    wxTimer poll;
    poll.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        result = done();
        if (result || std::chrono::steady_clock::now() > deadline) loop.Exit();
    });
    poll.Start(20);
    loop.Run();
    return result;
}

void ClickOn(wxWindow* window) {
    PointAt(window->GetScreenRect());
    wxUIActionSimulator().MouseClick();
}

std::optional<wxRect> FindScreenWindow(const std::string& title) {
    const std::vector<wxRect> found = VisibleWindows(TitlePattern(title));
    return found.empty() ? std::nullopt : std::optional(found.front());
}

bool PressKeyIn(const std::string& title, int key, int modifiers) {
    const std::optional<wxRect> rect = FindScreenWindow(title);
    if (!rect) return false;
    // A window just shown may have taken the focus; give it back as a window manager would.
    const std::string focus =
        "xdotool search --onlyvisible --name '" + TitlePattern(title) + "' windowfocus 2>/dev/null";
    if (std::system(focus.c_str()) != 0) return false;
    PointAt(*rect);
    PressKey(key, modifiers);
    return true;
}

void SendCloseRequest(wxWindow* window) {
    GdkWindow* gdk_window = gtk_widget_get_window(static_cast<GtkWidget*>(window->GetHandle()));
    if (gdk_window == nullptr) return;
    Display* display = GDK_WINDOW_XDISPLAY(gdk_window);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = GDK_WINDOW_XID(gdk_window);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XFlush(display);
}

void AnswerWithKey(UiScript& script, const std::string& title, int key) {
    script.Then(title + " shows", [title] { return FindScreenWindow(title).has_value(); });
    script.Wait(300ms);  // a window just mapped may not take keys yet
    script.Until(
        "close " + title + " with a key", [title] { return !FindScreenWindow(title); },
        [title, key] { PressKeyIn(title, key); });
}

void AnswerChooser(UiScript& script, const std::string& title, char select,
                   const std::string& path) {
    script.Then("the chooser " + title + " shows", [title, select, path] {
        if (!PressKeyIn(title, select, wxMOD_CONTROL)) return false;
        TypeText(path);
        return true;
    });
    AnswerWithKey(script, title, WXK_RETURN);
}

bool ScrolledToBottom(const wxTextCtrl& view) {
    const int range = view.GetScrollRange(wxVERTICAL);
    return range > 0 &&
           view.GetScrollPos(wxVERTICAL) + view.GetScrollThumb(wxVERTICAL) >= range - 1;
}

std::string StyleAt(wxTextCtrl* view, long position) {
    wxTextAttr attr;
    if (!view->GetStyle(position, attr)) return "no style at " + std::to_string(position);
    const bool bold = attr.HasFontWeight() && attr.GetFontWeight() >= wxFONTWEIGHT_BOLD;
    // Text with no colour of its own shows in the control's.
    const wxColour colour =
        attr.GetTextColour().IsOk() ? attr.GetTextColour() : view->GetForegroundColour();
    return colour.GetAsString(wxC2S_HTML_SYNTAX).ToStdString() + (bold ? " bold" : " regular");
}

std::vector<std::string> SplitLines(const std::string& text, const std::string& separator) {
    std::vector<std::string> lines;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + separator.size()) {
        end = std::min(text.find(separator, start), text.size());
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

}  // namespace jabbery::testing
