#include "shell/gui_test_support.h"

#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include <cstdio>
#include <memory>
#include <sstream>

namespace jabbery::testing {
namespace {

// Runs a shell command and returns what it printed.
std::string Capture(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[512];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, got);
    }
    ::pclose(pipe);
    return output;
}

// The screen rectangles of the mapped X windows whose title matches the
// regular expression `pattern`; windows of a pixel or less are left out.
std::vector<wxRect> VisibleWindows(const std::string& pattern) {
    std::string quoted;
    for (char c : pattern) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    std::istringstream lines(Capture("xdotool search --onlyvisible --name '" + quoted +
                                     "' getwindowgeometry --shell %@ 2>/dev/null"));
    std::vector<wxRect> found;
    wxRect rect;
    for (std::string line; std::getline(lines, line);) {
        const std::string key = line.substr(0, line.find('='));
        const int value = std::atoi(line.c_str() + key.size() + 1);
        if (key == "X") rect.x = value;
        if (key == "Y") rect.y = value;
        if (key == "WIDTH") rect.width = value;
        // Each window's values end with its height.
        if (key == "HEIGHT" && (rect.height = value) > 1 && rect.width > 1) found.push_back(rect);
    }
    return found;
}

// Ends every modal wx dialog and presses Escape over every other window, so
// a failed script does not leave the test hanging.
void UnwindDialogs() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = wxDynamicCast(window, wxDialog);
        if (dialog != nullptr && dialog->IsModal()) dialog->EndModal(wxID_CANCEL);
    }
    for (const wxRect& rect : VisibleWindows(".")) {
        PointAt(rect);
        PressKey(WXK_ESCAPE);
    }
}

}  // namespace

UiScript& UiScript::Then(std::string what, Step step, std::chrono::milliseconds timeout) {
    m_steps.push_back({std::move(what), std::move(step), timeout});
    return *this;
}

UiScript& UiScript::Do(std::string what, std::function<void()> action) {
    return Then(std::move(what), [action = std::move(action)] {
        action();
        return true;
    });
}

UiScript& UiScript::Wait(std::chrono::milliseconds duration) {
    auto until = std::make_shared<std::optional<std::chrono::steady_clock::time_point>>();
    return Then(
        "wait",
        [until, duration] {
            const auto now = std::chrono::steady_clock::now();
            if (!*until) *until = now + duration;
            return now >= **until;
        },
        duration + 30s);
}

void UiScript::Notify() {
    if (m_next >= m_steps.size() || !m_failure.empty()) return Stop();
    // A step may open a modal dialog and so run further ticks inside itself;
    // those must not re-enter the step.
    static bool running = false;
    if (running) return;
    running = true;
    const bool done = m_steps[m_next].m_step();
    running = false;
    const auto now = std::chrono::steady_clock::now();
    if (done) {
        ++m_next;
        m_stepStarted = now;
    } else if (now - m_stepStarted > m_steps[m_next].m_timeout) {
        m_failure =
            "step " + std::to_string(m_next + 1) + " (" + m_steps[m_next].m_what + ") timed out";
        Stop();
        UnwindDialogs();
    }
}

bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    if (done()) return true;
    wxGUIEventLoop loop;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool result = false;
    struct Poll : wxTimer {
        std::function<void()> m_tick;
        void Notify() override { m_tick(); }
    } poll;
    poll.m_tick = [&] {
        result = done();
        if (result || std::chrono::steady_clock::now() > deadline) loop.Exit();
    };
    poll.Start(20);
    loop.Run();
    return result;
}

void PointAt(const wxRect& screen_rect) {
    wxUIActionSimulator().MouseMove(screen_rect.GetPosition() +
                                    wxPoint(screen_rect.width / 2, screen_rect.height / 2));
}

void PointAt(wxWindow* window) {
    PointAt(window->GetScreenRect());
}

void ClickOn(wxWindow* window) {
    PointAt(window);
    wxUIActionSimulator().MouseClick();
}

void PressKey(int key, int modifiers) {
    wxUIActionSimulator().Char(key, modifiers);
}

void TypeText(const std::string& text) {
    wxUIActionSimulator().Text(text.c_str());
}

wxTopLevelWindow* FindShownWindow(const wxString& title) {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* top = wxDynamicCast(window, wxTopLevelWindow);
        if (top != nullptr && top->IsShownOnScreen() && top->GetTitle() == title) return top;
    }
    return nullptr;
}

std::optional<wxRect> FindScreenWindow(const std::string& title) {
    // xdotool matches titles as regular expressions; this one matches `title` only.
    std::string pattern = "^";
    for (char c : title) {
        if (std::string(".^$*+?()[]{}|\\").find(c) != std::string::npos) pattern += '\\';
        pattern += c;
    }
    const std::vector<wxRect> found = VisibleWindows(pattern + "$");
    if (found.empty()) return std::nullopt;
    return found.front();
}

bool PressKeyIn(const std::string& title, int key, int modifiers) {
    const std::optional<wxRect> rect = FindScreenWindow(title);
    if (!rect) return false;
    PointAt(*rect);
    PressKey(key, modifiers);
    return true;
}

void AnswerWithKey(UiScript& script, const std::string& title, int key) {
    script.Then(title + " shows", [title] { return FindScreenWindow(title).has_value(); });
    // A window just mapped may not take keys yet; give it a moment first.
    script.Wait(300ms);
    auto last_press = std::make_shared<std::chrono::steady_clock::time_point>();
    script.Then("close " + title + " with a key", [title, key, last_press] {
        if (!FindScreenWindow(title)) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now - *last_press > 1500ms) {
            *last_press = now;
            PressKeyIn(title, key);
        }
        return false;
    });
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

std::string StyleAt(wxTextCtrl* view, long position) {
    wxTextAttr attr;
    if (!view->GetStyle(position, attr)) return "no style at " + std::to_string(position);
    const bool bold = attr.HasFontWeight() && attr.GetFontWeight() >= wxFONTWEIGHT_BOLD;
    return attr.GetTextColour().GetAsString(wxC2S_HTML_SYNTAX).ToStdString() +
           (bold ? " bold" : " regular");
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
