// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace jabbery {

// The questions the conversation asks its user. The window asks them with
// dialogs, the terminal runner answers them from its command line, and tests
// from a script. All calls are modal: each returns once it is answered.
class UserQuestions {
  public:
    virtual ~UserQuestions() = default;

    // Asks for the folder of bot `number` of `count` (both counted from 1).
    // Returns the chosen folder's path, or an empty text when the user cancels.
    virtual std::string BrowseForBotFolder(int number, int count) = 0;

    // Shows `text` as an error the user must acknowledge; returns when they have.
    virtual void ShowError(const std::string& text) = 0;

    // Asks a question with Yes and No; anything but Yes (Escape, closing) is No.
    virtual bool AskYesNo(const std::string& question) = 0;

    // Asks a question with Yes, No and Cancel: no value for Cancel (Escape,
    // closing). Where no Cancel can be given, it is AskYesNo.
    virtual std::optional<bool> AskYesNoCancel(const std::string& question) {
        return AskYesNo(question);
    }

    // Asks where to save the transcript; no value when the user cancels.
    virtual std::optional<std::string> AskSavePath() = 0;

    // Says that the save failed (`error` names the file and why), before
    // AskSavePath is asked again; a user who can answer it is told so.
    virtual void ShowSaveError(const std::string& error) {
        ShowError(error + "\nChoose another file, or cancel to leave without saving.");
    }
};

}  // namespace jabbery
