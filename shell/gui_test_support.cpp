#include "shell/gui_test_support.h"

#include <wx/dialog.h>
#include <wx/evtloop.h>
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
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    ::pclose(pipe);
    return output;
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// xdotool matches names as regular expressions; this matches `title` only.
std::string ExactTitlePattern(const std::string& title) {
    std::string pattern = "^";
    for (char c : title) {
        if (std::string(".^$*+?()[]{}|\\").find(c) != std::string::npos) pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

std::vector<std::string> VisibleWindowIds(const std::string& pattern) {
    std::istringstream ids(
        Capture("xdotool search --onlyvisible --name " + ShellQuoted(pattern) + " 2>/dev/null"));
    std::vector<std::string> result;
    for (std::string id; ids >> id;) result.push_back(id);
    return result;
}

std::optional<wxRect> WindowGeometry(const std::string& id) {
    std::istringstream lines(Capture("xdotool getwindowgeometry --shell " + id + " 2>/dev/null"));
    wxRect rect;
    int found = 0;
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const int value = std::atoi(line.c_str() + equals + 1);
        if (key == "X") rect.x = value, ++found;
        if (key == "Y") rect.y = value, ++found;
        if (key == "WIDTH") rect.width = value, ++found;
        if (key == "HEIGHT") rect.height = value, ++found;
    }
    if (found != 4 || rect.width <= 1 || rect.height <= 1) return std::nullopt;
    return rect;
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

void UiScript::Start() {
    m_stepStarted = std::chrono::steady_clock::now();
    wxTimer::Start(50);
}

void UiScript::Notify() {
    if (Finished() || !m_failure.empty()) {
        Stop();
        return;
    }
    // A step may open a modal dialog and so run further ticks inside itself;
    // those must not re-enter the step.
    static bool running = false;
    if (running) return;
    running = true;
    Entry& entry = m_steps[m_next];
    const bool done = entry.m_step();
    running = false;
    const auto now = std::chrono::steady_clock::now();
    if (done) {
        ++m_next;
        m_stepStarted = now;
        if (Finished()) Stop();
        return;
    }
    if (now - m_stepStarted > entry.m_timeout) {
        m_failure = "step " + std::to_string(m_next + 1) + " (" + entry.m_what + ") timed out";
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
        if (done()) {
            result = true;
            loop.Exit();
        } else if (std::chrono::steady_clock::now() > deadline) {
            loop.Exit();
        }
    };
    poll.Start(20);
    loop.Run();
    poll.Stop();
    return result;
}

void UnwindDialogs() {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* dialog = wxDynamicCast(window, wxDialog);
        if (dialog != nullptr && dialog->IsModal()) dialog->EndModal(wxID_CANCEL);
    }
    for (const std::string& id : VisibleWindowIds(".")) {
        if (auto rect = WindowGeometry(id)) {
            PointAt(*rect);
            PressKey(WXK_ESCAPE);
        }
    }
}

void PointAt(const wxRect& screen_rect) {
    wxUIActionSimulator input;
    const wxPoint centre = screen_rect.GetPosition() +
                           wxPoint(screen_rect.GetWidth() / 2, screen_rect.GetHeight() / 2);
    input.MouseMove(centre);
}

void PointAt(wxWindow* window) {
    PointAt(window->GetScreenRect());
}

void ClickOn(wxWindow* window) {
    PointAt(window);
    wxUIActionSimulator input;
    input.MouseClick();
}

void PressKey(int key, int modifiers) {
    wxUIActionSimulator input;
    input.Char(key, modifiers);
}

void TypeText(const std::string& text) {
    wxUIActionSimulator input;
    input.Text(text.c_str());
}

wxTopLevelWindow* FindShownWindow(const wxString& title) {
    for (wxWindow* window : wxTopLevelWindows) {
        auto* top = wxDynamicCast(window, wxTopLevelWindow);
        if (top != nullptr && top->IsShownOnScreen() && top->GetTitle() == title) return top;
    }
    return nullptr;
}

std::optional<wxRect> FindScreenWindow(const std::string& title) {
    for (const std::string& id : VisibleWindowIds(ExactTitlePattern(title))) {
        if (auto rect = WindowGeometry(id)) return rect;
    }
    return std::nullopt;
}

bool PressKeyIn(const std::string& title, int key, int modifiers) {
    const std::optional<wxRect> rect = FindScreenWindow(title);
    if (!rect) return false;
    PointAt(*rect);
    PressKey(key, modifiers);
    return true;
}

void AnswerChooser(UiScript& script, const std::string& title, const std::string& path) {
    script.Then("the chooser " + title + " shows", [title, path] {
        const std::optional<wxRect> rect = FindScreenWindow(title);
        if (!rect) return false;
        PointAt(*rect);
        PressKey('L', wxMOD_CONTROL);
        TypeText(path);
        return true;
    });
    PressUntilGone(script, title, WXK_RETURN);
}

void PressUntilGone(UiScript& script, const std::string& title, int key) {
    auto last_press = std::make_shared<std::chrono::steady_clock::time_point>();
    // A window just mapped may not take keys yet; give it a moment first.
    script.Wait(300ms);
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

void AnswerWithKey(UiScript& script, const std::string& title, int key) {
    script.Then(title + " shows", [title] { return FindScreenWindow(title).has_value(); });
    PressUntilGone(script, title, key);
}

std::optional<int> ScriptedDialogs::AskBotCount() {
    ++m_countAsked;
    if (m_counts.empty()) return std::nullopt;
    const std::optional<int> count = m_counts.front();
    m_counts.pop_front();
    return count;
}

std::string ScriptedDialogs::BrowseForBotFolder(int number, int count) {
    m_folderPrompts.push_back(std::to_string(number) + " of " + std::to_string(count));
    if (m_folders.empty()) return std::string();
    std::string folder = m_folders.front();
    m_folders.pop_front();
    return folder;
}

void ScriptedDialogs::ShowError(const std::string& text) {
    m_errors.push_back(text);
}

bool ScriptedDialogs::AskYesNo(const std::string& question) {
    m_questions.push_back(question);
    if (m_yesNo.empty()) return false;
    const bool answer = m_yesNo.front();
    m_yesNo.pop_front();
    return answer;
}

std::optional<std::string> ScriptedDialogs::AskSavePath() {
    ++m_savePathsAsked;
    if (m_savePaths.empty()) return std::nullopt;
    std::optional<std::string> path = m_savePaths.front();
    m_savePaths.pop_front();
    return path;
}

void ScriptedDialogs::OpenManual() {
    ++m_manualOpened;
}

void ScriptedDialogs::ShowAboutBox() {
    ++m_aboutShown;
    if (m_about) m_about();
}

std::vector<std::string> SplitLines(const std::string& text, const std::string& separator) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + separator.size();
    }
    return lines;
}

}  // namespace jabbery::testing
