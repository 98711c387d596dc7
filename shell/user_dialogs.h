#pragma once

#include <optional>
#include <string>

namespace jabbery {

// Every dialog the main window opens for the user, behind one interface:
// the program shows real dialogs (WxUserDialogs), tests answer from a
// script. All calls are modal and run on the window's thread.
class UserDialogs {
  public:
    virtual ~UserDialogs() = default;

    // The number of bots to link, or no value when the user closed the
    // bot-count dialog (Escape, close box). The dialog itself only gives 2
    // to 15; answers given in advance may be any count, which set-up judges.
    virtual std::optional<int> AskBotCount() = 0;

    // The folder of bot `number` of `count` (both counted from 1), or empty
    // text when the user cancels.
    virtual std::string BrowseForBotFolder(int number, int count) = 0;

    // An error message with one OK button.
    virtual void ShowError(const std::string& text) = 0;

    // A Yes/No question; anything but Yes counts as No.
    virtual bool AskYesNo(const std::string& question) = 0;

    // The save dialog for the transcript; no value when cancelled.
    virtual std::optional<std::string> AskSavePath() = 0;

    // Opens the manual in the desktop's viewer.
    virtual void OpenManual() = 0;

    // The About box, until the user closes it.
    virtual void ShowAboutBox() = 0;
};

}  // namespace jabbery
