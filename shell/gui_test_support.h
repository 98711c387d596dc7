// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>
#include <wx/gdicmn.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/test_fake_host.h"
#include "shell/user_dialogs.h"

class wxTextCtrl;
class wxWindow;

namespace jabbery::testing {

using namespace std::chrono_literals;

// Runs a test's steps, each returning true when done, from a timer that fires
// inside modal loops too. A step late past its time, or a window open 30 s
// after the last step, fails the script, which then ends every open dialog.
class UiScript : public wxTimer {
  public:
    UiScript& Then(std::string what, std::function<bool()> step,
                   std::chrono::milliseconds timeout = 30s) {
        m_steps.push_back({std::move(what), std::move(step), timeout});
        return *this;
    }
    UiScript& Do(std::string what, std::function<void()> action) {
        return Then(std::move(what), [action] {
            action();
            return true;
        });
    }
    UiScript& Wait(std::chrono::milliseconds duration) {
        return Then(
            "wait",
            [this, duration] {
                return std::chrono::steady_clock::now() - m_stepStarted >= duration;
            },
            duration + 30s);
    }
    // A step that does `action` now and every 1.5 s after (a key may be lost
    // or still on its way) until `done` holds.
    UiScript& Until(std::string what, std::function<bool()> done, std::function<void()> action) {
        auto last = std::make_shared<std::chrono::steady_clock::time_point>();
        return Then(std::move(what), [=] {
            if (done()) return true;
            if (std::chrono::steady_clock::now() - *last > 1500ms) {
                *last = std::chrono::steady_clock::now();
                action();
            }
            return false;
        });
    }

    // Runs `modal`, which opens what the script drives; expects no failure.
    template <typename Modal>
    auto Drive(Modal modal) {
        m_stepStarted = std::chrono::steady_clock::now();
        Start(50);
        auto result = modal();
        Stop();
        EXPECT_GE(m_next, 1u) << "the script's first step never came about";
        EXPECT_EQ(m_failure, "");
        return result;
    }

    void Notify() override;

  private:
    struct Entry {
        std::string m_what;
        std::function<bool()> m_step;
        std::chrono::milliseconds m_timeout;
    };
    std::vector<Entry> m_steps;
    std::size_t m_next = 0;
    std::chrono::steady_clock::time_point m_stepStarted;
    std::string m_failure;
};

// Runs the event loop until `done` holds or `timeout` passes; returns `done`.
bool RunEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 30s);

// Real input through the X server. Without a window manager, keys go to the
// window under the pointer, so PressKeyIn points at its window first.
void ClickOn(wxWindow* window);
inline void PressKey(int key, int modifiers = 0) {
    wxUIActionSimulator().Char(key, modifiers);
}
inline void TypeText(const std::string& text) {
    wxUIActionSimulator().Text(text.c_str());
}

// A mapped X window with this exact title, found with xdotool: GTK's own
// message boxes and choosers are not wx windows.
std::optional<wxRect> FindScreenWindow(const std::string& title);
// Points at the X window with this title and presses `key`; false if none.
bool PressKeyIn(const std::string& title, int key, int modifiers = 0);
// Sends `window` WM_DELETE_WINDOW through the X server, as a close box does.
void SendCloseRequest(wxWindow* window);

// Adds steps that wait for the window `title` and press `key` in it until it is
// gone: a new window may miss a key, a GTK chooser take a Return to complete.
void AnswerWithKey(UiScript& script, const std::string& title, int key);

// Adds steps that answer the GTK chooser titled `title` with Ctrl+`select`
// (L: a folder chooser's location, A: a save dialog's name), `path`, Return.
void AnswerChooser(UiScript& script, const std::string& title, char select,
                   const std::string& path);

// The window's dialogs answered from a script.
class ScriptedDialogs : public FakeUser<UserDialogs> {
  public:
    std::deque<std::optional<int>> m_counts;
    std::deque<std::optional<std::string>> m_exportPaths;
    std::deque<std::optional<std::string>> m_logPaths;
    std::deque<std::optional<std::string>> m_setUpPaths;
    std::deque<bool> m_goOnAnswers;
    std::deque<std::optional<std::string>> m_names;
    std::deque<std::optional<ProgramBotAnswer>> m_programBots;
    std::vector<std::string> m_suggestedNames;             // what each name question offered
    std::vector<std::vector<std::string>> m_failedChecks;  // what each check message listed

    std::optional<int> AskBotCount() override { return Pop(m_counts); }
    std::optional<std::string> AskExportPath() override { return Pop(m_exportPaths); }
    std::optional<std::string> AskLogPath() override { return Pop(m_logPaths); }
    std::optional<std::string> AskSetUpPath() override { return Pop(m_setUpPaths); }
    void OpenManual() override {}
    void ShowAboutBox() override {}
    bool AskGoOnDespiteFailedChecks(const std::vector<std::string>& failures) override {
        m_failedChecks.push_back(failures);
        return Pop(m_goOnAnswers);
    }
    std::optional<std::string> AskHumanName(const std::string& suggested) override {
        m_suggestedNames.push_back(suggested);
        return Pop(m_names);
    }
    std::optional<ProgramBotAnswer> AskProgramBot() override { return Pop(m_programBots); }
};

// Whether the text control shows its last line.
bool ScrolledToBottom(const wxTextCtrl& view);
// A text control's character at `position` as "#RRGGBB bold" or "#RRGGBB regular".
std::string StyleAt(wxTextCtrl* view, long position);
// Lines of a text as they stand (a final empty line is dropped).
std::vector<std::string> SplitLines(const std::string& text, const std::string& separator);

}  // namespace jabbery::testing
