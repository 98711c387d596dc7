// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/conversation_window.h"
#include "platform/document_view.h"
#include "platform/user_questions.h"

namespace jabbery {

class StopAwareOutput;

// The user, window and view of the terminal runner: the folders come from
// the command line, errors go to `errors`, the one save question is answered
// by --save, and the plain lines are printed by the runner itself.
class TerminalHost : public UserQuestions, public ConversationWindow, public DocumentView {
  public:
    TerminalHost(std::vector<std::string> folders, std::optional<std::string> save_path,
                 StopAwareOutput& errors);

    std::string BrowseForBotFolder(int number, int count) override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& question) override;
    void ShowSaveError(const std::string& error) override;
    std::optional<std::string> AskSavePath() override;
    void RequestClose() override {}
    void StartTurnTimer() override {}
    void StopTurnTimer() override {}
    void ShowDocument(const std::string&, std::size_t) override {}

    // True when an error was shown (a folder refused, a save that failed).
    bool HadError() const { return m_hadError; }

  private:
    std::vector<std::string> m_folders;
    std::optional<std::string> m_savePath;
    StopAwareOutput& m_errors;
    int m_lastAsked = 0;
    bool m_hadError = false;
};

}  // namespace jabbery
