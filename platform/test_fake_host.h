#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace jabbery::testing {

// A Host that answers from scripted queues and records what it was asked,
// for tests of the engine without any window.
class FakeHost : public Host {
  public:
    std::deque<std::string> m_folderAnswers;               // empty queue: cancel
    std::deque<bool> m_yesNoAnswers;                       // empty queue: No
    std::deque<std::optional<std::string>> m_saveAnswers;  // empty queue: cancel

    std::vector<std::string> m_folderPrompts;  // "bot N of M" for each prompt
    std::vector<std::string> m_errors;
    std::vector<std::string> m_questions;
    std::vector<std::string> m_documents;
    std::vector<std::size_t> m_unchangedPrefixes;
    std::vector<unsigned> m_timersStarted;
    std::vector<unsigned> m_timersStopped;
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
    unsigned StartTurnTimer(unsigned interval_ms) override {
        m_timersStarted.push_back(interval_ms);
        return 1;
    }
    void StopTurnTimer(unsigned timer_id) override { m_timersStopped.push_back(timer_id); }
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
