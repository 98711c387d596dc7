#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/conversation_window.h"
#include "platform/document_view.h"
#include "platform/user_questions.h"

namespace jabbery::testing {

// The user, window and view in one fake, answering from scripted queues and
// recording what it was asked, for tests of the engine without any window.
class FakeHost : public UserQuestions, public ConversationWindow, public DocumentView {
  public:
    std::deque<std::string> m_folderAnswers;               // empty queue: cancel
    std::deque<bool> m_yesNoAnswers;                       // empty queue: No
    std::deque<std::optional<std::string>> m_saveAnswers;  // empty queue: cancel

    std::vector<std::string> m_folderPrompts;  // "bot N of M" for each prompt
    std::vector<std::string> m_errors;
    std::vector<std::string> m_questions;
    std::vector<std::string> m_documents;
    std::vector<std::size_t> m_unchangedPrefixes;
    int m_timersStarted = 0;
    int m_timersStopped = 0;
    int m_closeRequests = 0;

    std::string BrowseForBotFolder(int number, int count) override {
        m_folderPrompts.push_back(std::to_string(number) + " of " + std::to_string(count));
        return Pop(m_folderAnswers, std::string());
    }
    void ShowError(const std::string& text) override { m_errors.push_back(text); }
    bool AskYesNo(const std::string& question) override {
        m_questions.push_back(question);
        return Pop(m_yesNoAnswers, false);
    }
    std::optional<std::string> AskSavePath() override {
        return Pop(m_saveAnswers, std::optional<std::string>());
    }
    void RequestClose() override { ++m_closeRequests; }
    void StartTurnTimer() override { ++m_timersStarted; }
    void StopTurnTimer() override { ++m_timersStopped; }
    void ShowDocument(const std::string& rtf_document, std::size_t unchanged_prefix) override {
        m_documents.push_back(rtf_document);
        m_unchangedPrefixes.push_back(unchanged_prefix);
    }

  private:
    template <typename T>
    static T Pop(std::deque<T>& queue, T when_empty) {
        if (queue.empty()) return when_empty;
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
};

}  // namespace jabbery::testing
