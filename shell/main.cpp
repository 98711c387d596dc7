// SPDX-License-Identifier: MIT
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/set_up_file.h"
#include "platform/terminal.h"
#include "shell/chat_app.h"
#include "shell/command_line.h"
#include "transcript/transcript_autosave.h"

int main(int argc, char** argv) {
    // Before any file is opened: none may take the number of a closed stream.
    jabbery::OpenClosedStandardStreams();
    using namespace jabbery;
    // Read before the toolkit starts, so --help and --version work without
    // a display.
    const CommandLine command_line = ParseCommandLine({argv + 1, argv + argc});
    switch (command_line.m_action) {
        case OptionsEnd::kHelp:
            std::fputs(CommandLineUsage().c_str(), stdout);
            return 0;
        case OptionsEnd::kVersion:
            std::fputs(VersionText().c_str(), stdout);
            return 0;
        case OptionsEnd::kError:
            std::fprintf(stderr, "jabbery: %s\n", command_line.m_error.c_str());
            return 2;
        case OptionsEnd::kRun:
            break;
    }
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
    // Until the toolkit is up, problems go to stderr: without a display the
    // framework's own log window would crash trying to open.
    wxLog::SetActiveTarget(new wxLogStderr);
    wxLog::DisableTimestamp();
    // wxEntry takes this application object over and deletes it at the end.
    wxApp::SetInstance(new CChatApp(std::move(settings)));
    return wxEntry(argc, argv);
}
