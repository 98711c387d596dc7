// SPDX-License-Identifier: MIT
#pragma once

#include <wx/string.h>

#include "shell/user_dialogs.h"

class wxWindow;

namespace jabbery {

// The real dialogs, as the desktop shows them. Message boxes are captioned
// with the program's title and belong to the main window, which is
// disabled while they are open.
class WxUserDialogs : public UserDialogs {
  public:
    // `main_window` may be set later (SetMainWindow) and may be hidden.
    explicit WxUserDialogs(wxWindow* main_window = nullptr) : m_mainWindow(main_window) {}
    void SetMainWindow(wxWindow* main_window) { m_mainWindow = main_window; }

    std::optional<int> AskBotCount() override;
    std::string BrowseForBotFolder(int number, int count) override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& question) override;
    std::optional<bool> AskYesNoCancel(const std::string& question) override;
    // Each suggests "Jabbery transcript <date>" in the folder last chosen in
    // any of them during this run (the working folder at first), and adds
    // the chosen type's extension to a name typed without one; the export
    // adds it also to a name whose extension names none of its formats.
    std::optional<std::string> AskSavePath() override;
    std::optional<std::string> AskExportPath() override;
    // Opens in the folder the kept conversations and their logs are in.
    std::optional<std::string> AskLogPath() override;
    std::optional<std::string> AskSetUpPath() override;
    void OpenManual() override;
    void ShowAboutBox() override;
    bool AskGoOnDespiteFailedChecks(const std::vector<std::string>& failures) override;
    std::optional<std::string> AskHumanName(const std::string& suggested) override;
    std::optional<ProgramBotAnswer> AskProgramBot() override;

  private:
    // Asks for a file to write, offering `filter`'s types (their extensions
    // `extensions`, in order) with `type` chosen first; `type` is then the
    // one the user chose.
    std::optional<std::string> AskPath(const wxString& title, const wxString& filter,
                                       const std::vector<std::string>& extensions, int& type);

    wxWindow* m_mainWindow;
    wxString m_lastFolder;  // empty: the working folder
};

}  // namespace jabbery
