// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "shell/user_dialogs.h"

namespace jabbery {

// Answers the set-up questions from bot folders given in advance (the
// command line): the count is the number of folders, and bot N's first
// prompt gets folder N. A folder that turns out not to be a bot's folder is
// asked for again with the real prompt. Everything else, and everything
// when no folders were given, goes to `dialogs`.
class PresetAnswers : public UserDialogs {
  public:
    PresetAnswers(UserDialogs& dialogs, std::vector<std::string> folders);

    std::optional<int> AskBotCount() override;
    std::string BrowseForBotFolder(int number, int count) override;
    void ShowError(const std::string& text) override { m_dialogs.ShowError(text); }
    bool AskYesNo(const std::string& question) override { return m_dialogs.AskYesNo(question); }
    std::optional<bool> AskYesNoCancel(const std::string& question) override {
        return m_dialogs.AskYesNoCancel(question);
    }
    std::optional<std::string> AskSavePath() override { return m_dialogs.AskSavePath(); }
    std::optional<std::string> AskExportPath() override { return m_dialogs.AskExportPath(); }
    void OpenManual() override { m_dialogs.OpenManual(); }
    void ShowAboutBox() override { m_dialogs.ShowAboutBox(); }
    bool AskGoOnDespiteFailedChecks(const std::vector<std::string>& failures) override {
        return m_dialogs.AskGoOnDespiteFailedChecks(failures);
    }

  private:
    UserDialogs& m_dialogs;
    std::vector<std::string> m_folders;
    std::vector<bool> m_used;  // folder i has answered bot i + 1's prompt once
};

}  // namespace jabbery
