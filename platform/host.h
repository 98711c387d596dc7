#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace jabbery {

// Everything the conversation needs from a user or a window, as one small
// interface: the desktop shell implements it with real dialogs, the terminal
// runner with the terminal, and tests with a scripted fake.
class Host {
  public:
    virtual ~Host() = default;

    // Asks for the folder of bot `number` of `count` (both counted from 1).
    // Returns the chosen folder's path, or an empty text when the user cancels.
    virtual std::string BrowseForBotFolder(int number, int count) = 0;

    // Shows `text` as an error the user must acknowledge; returns when they have.
    virtual void ShowError(const std::string& text) = 0;

    // Asks a question with Yes and No; anything but Yes (Escape, closing) is No.
    virtual bool AskYesNo(const std::string& question) = 0;

    // Asks where to save the transcript; no value when the user cancels.
    virtual std::optional<std::string> AskSavePath() = 0;

    // Asks the main window to close once the current event has been handled.
    virtual void RequestClose() = 0;

    // Starts the periodic turn timer and returns its id; StopTurnTimer stops it.
    virtual unsigned StartTurnTimer(unsigned interval_ms) = 0;
    virtual void StopTurnTimer(unsigned timer_id) = 0;

    // Replaces whatever the transcript view shows with `rtf_document`. Its
    // first `unchanged_prefix` bytes are promised to be those of the
    // document shown last time (0: no promise), so a view that appends only
    // what is new need not compare them again.
    virtual void ShowDocument(const std::string& rtf_document, std::size_t unchanged_prefix) = 0;
};

}  // namespace jabbery
