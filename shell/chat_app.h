// SPDX-License-Identifier: MIT
#pragma once

#include <wx/app.h>

#include "shell/chat_dialog.h"
#include "shell/command_line.h"

namespace jabbery {

// The window's settings for what the command line asked: the transcript
// kept in the user's conversations folder and warnings on standard error
// unless switched off, the rest from the options and a conversation file.
ChatSettings SettingsOf(const CommandLine& command_line);

// The application: shows the main window modally, and ends when it ends.
class CChatApp : public wxApp {
  public:
    explicit CChatApp(ChatSettings settings) : m_settings(std::move(settings)) {}

    // Readies image decoding for the icons. The command line was read
    // before the toolkit started, so the framework's own parsing is skipped.
    bool OnInit() override;

    // The main window's whole life; the program's exit status is 0 however
    // the window ended.
    int OnRun() override;

  private:
    ChatSettings m_settings;
};

}  // namespace jabbery
