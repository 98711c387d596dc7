// SPDX-License-Identifier: MIT
#include "shell/chat_app.h"

#include <wx/image.h>
#include <wx/log.h>

#include <csignal>
#include <cstdlib>

#include "shell/application_id.h"

namespace jabbery {
namespace {

CChatDialog* g_mainWindow = nullptr;

// Runs on the window's thread (the framework defers it from the signal):
// a bot that is running is killed with its group before the program ends,
// so a terminated program leaves no bot behind.
void OnStopSignal(int signal) {
    if (g_mainWindow != nullptr) g_mainWindow->ShutDown();
    std::_Exit(128 + signal);
}

}  // namespace

bool CChatApp::OnInit() {
    // The toolkit is up: the framework's messages may show in windows again
    // (main() sent them to stderr until now).
    delete wxLog::SetActiveTarget(nullptr);
    UseApplicationId();
    wxImage::AddHandler(new wxPNGHandler);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) SetSignalHandler(signal, OnStopSignal);
    return true;
}

int CChatApp::OnRun() {
    // The main window runs its own event loop, which also serves the
    // nested dialogs and the turn timer; when it returns, the program ends.
    CChatDialog dialog(nullptr, m_settings);
    SetTopWindow(&dialog);
    g_mainWindow = &dialog;
    dialog.DoModal();
    g_mainWindow = nullptr;
    SetTopWindow(nullptr);
    return 0;
}

}  // namespace jabbery
