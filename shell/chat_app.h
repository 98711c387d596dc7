// SPDX-License-Identifier: MIT
#pragma once

#include <wx/app.h>

#include "shell/chat_dialog.h"

namespace jabbery {

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
