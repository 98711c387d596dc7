// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/user_questions.h"

namespace jabbery {

// A new bot's name and the command line of its program, as the user typed them.
struct ProgramBotAnswer {
    std::string m_name;
    std::string m_commandLine;
};

// Every dialog the main window opens for the user, behind one interface:
// the conversation's questions, and those only the window asks. The program
// shows real dialogs (WxUserDialogs), tests answer from a script. All calls
// are modal and run on the window's thread.
class UserDialogs : public UserQuestions {
  public:
    // The number of bots to link, or no value when the user closed the
    // bot-count dialog (Escape, close box). The dialog itself only gives 2
    // to 15; answers given in advance may be any count, which set-up judges.
    virtual std::optional<int> AskBotCount() = 0;

    // Opens the manual in the program's own manual window.
    virtual void OpenManual() = 0;

    // Asks where to export the conversation; the path's extension (.html,
    // .md, .txt or .rtf) names the format. No value when the user cancels.
    virtual std::optional<std::string> AskExportPath() = 0;

    // Asks for a conversation log (a JSON Lines file) to continue; no value
    // when the user cancels.
    virtual std::optional<std::string> AskLogPath() = 0;
    // Asks where to save the conversation's set-up (a conversation file); no
    // value when the user cancels.
    virtual std::optional<std::string> AskSetUpPath() = 0;

    // The About box, until the user closes it.
    virtual void ShowAboutBox() = 0;

    // Says which bots failed the check before the first turn, one line of
    // `failures` each, and asks whether to go on with them anyway (true) or
    // to quit (false, also when the user closes the message).
    virtual bool AskGoOnDespiteFailedChecks(const std::vector<std::string>& failures) = 0;

    // Asks the name the user speaks under, offering `suggested`; no value
    // when the user cancels.
    virtual std::optional<std::string> AskHumanName(const std::string& suggested) = 0;

    // Asks a new bot's name and the command line that runs its program; no
    // value when the user cancels either question.
    virtual std::optional<ProgramBotAnswer> AskProgramBot() = 0;
};

}  // namespace jabbery
