// SPDX-License-Identifier: MIT
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/terminal.h"
#include "shell/chat_app.h"
#include "shell/command_line.h"

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
    // Until the toolkit is up, problems go to stderr: without a display the
    // framework's own log window would crash trying to open.
    wxLog::SetActiveTarget(new wxLogStderr);
    wxLog::DisableTimestamp();
    // wxEntry takes this application object over and deletes it at the end.
    wxApp::SetInstance(new CChatApp(SettingsOf(command_line)));
    return wxEntry(argc, argv);
}
