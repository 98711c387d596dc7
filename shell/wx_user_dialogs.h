#pragma once

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
    std::optional<std::string> AskSavePath() override;
    void OpenManual() override;
    void ShowAboutBox() override;

  private:
    wxWindow* m_mainWindow;
};

}  // namespace jabbery
