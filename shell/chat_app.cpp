// SPDX-License-Identifier: MIT
#include "shell/chat_app.h"

#include <wx/image.h>
#include <wx/log.h>

#include <csignal>
#include <cstdlib>

#include "engine/set_up_file.h"
#include "shell/application_id.h"
#include "transcript/transcript_autosave.h"

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

ChatSettings SettingsOf(const CommandLine& command_line) {
    ChatSettings settings;
    settings.m_botFolders = command_line.m_botFolders;
    if (command_line.m_autosave) settings.m_autosaveFolder = ConversationsFolder();
    if (!command_line.m_quiet) settings.m_warnings = stderr;
    settings.m_humanName = command_line.m_name;
    settings.m_opening = command_line.m_opening;
    settings.m_keptIdle = command_line.m_idle;
    settings.m_replayLog = command_line.m_replayLog;
    settings.m_continueLog = command_line.m_continueLog;
    const ConversationFile& set_up = command_line.m_setUp;
    settings.m_turnInterval = set_up.m_interval.value_or(settings.m_turnInterval);
    settings.m_botTimeLimit = set_up.m_timeLimit.value_or(settings.m_botTimeLimit);
    settings.m_jitter = set_up.m_jitter.value_or(settings.m_jitter);
    settings.m_order = set_up.m_order.value_or(settings.m_order);
    settings.m_rules = StopRulesOf(set_up);
    settings.m_botTuning = set_up.m_bots;
    settings.m_seed = set_up.m_seed;
    return settings;
}

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
