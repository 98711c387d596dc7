// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "engine/conversation_window.h"
#include "engine/user_questions.h"

namespace jabbery::testing {

// The user's answers from scripted queues (an empty queue cancels or says
// No), recording what was asked. `Questions` is UserQuestions or an
// interface built on it, such as the window's dialogs.
template <typename Questions = UserQuestions>
class FakeUser : public Questions {
  public:
    std::deque<std::string> m_folderAnswers;
    std::deque<bool> m_yesNoAnswers;
    std::deque<std::optional<std::string>> m_saveAnswers;
    int m_cancels = 0;  // how many of the next Yes/No/Cancel questions are cancelled

    std::vector<std::string> m_folderPrompts;  // "N of M" for each prompt
    std::vector<std::string> m_errors;
    std::vector<std::string> m_questions;
    int m_savesAsked = 0;

    std::string BrowseForBotFolder(int number, int count) override {
        m_folderPrompts.push_back(std::to_string(number) + " of " + std::to_string(count));
        return Pop(m_folderAnswers);
    }
    void ShowError(const std::string& text) override { m_errors.push_back(text); }
    bool AskYesNo(const std::string& question) override {
        m_questions.push_back(question);
        return Pop(m_yesNoAnswers);
    }
    std::optional<bool> AskYesNoCancel(const std::string& question) override {
        if (m_cancels == 0) return AskYesNo(question);
        --m_cancels;
        m_questions.push_back(question);
        return std::nullopt;
    }
    std::optional<std::string> AskSavePath() override {
        ++m_savesAsked;
        return Pop(m_saveAnswers);
    }

  protected:
    template <typename T>
    static T Pop(std::deque<T>& queue) {
        if (queue.empty()) return T();
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
};

// The user and window in one fake, for tests of the engine without any window.
class FakeHost : public FakeUser<>, public ConversationWindow {
  public:
    int m_timersStarted = 0;
    int m_timersStopped = 0;
    int m_closeRequests = 0;

    void RequestClose() override { ++m_closeRequests; }
    void StartTurnTimer() override { ++m_timersStarted; }
    void StopTurnTimer() override { ++m_timersStopped; }
};

}  // namespace jabbery::testing
