// SPDX-License-Identifier: MIT
// jabbery-stdio: makes a program that reads standard input a Jabbery bot.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/program_options.h"
#include "platform/terminal.h"
#include "stdio/stdio_bridge.h"
#include "values/bot_protocol.h"
#include "values/product.h"

namespace {

constexpr const char* kUsage =
    "Usage: jabbery-stdio COMMAND [ARGS...]\n"
    "Makes a program that reads a message on standard input and prints its answer\n"
    "on standard output a Jabbery bot. Use it as line 3 of the bot's vorn.nfo:\n"
    "  jabbery-stdio python3 bot.py\n"
    "\n"
    "Reads line 2 of chat.msg in the current folder and runs COMMAND (found on\n"
    "PATH, no shell) with that line on its standard input and in JABBERY_MESSAGE,\n"
    "and the bot's name in JABBERY_NAME. The first non-blank line COMMAND prints\n"
    "becomes the new content of chat.msg; COMMAND is then ended. COMMAND's\n"
    "standard error passes through.\n";

constexpr const char* kFooter =
    "Exit status: 0 when COMMAND answered. Otherwise chat.msg is left as it was\n"
    "and the status is COMMAND's exit code: 1 when it printed nothing, 127 when it\n"
    "could not be run, 128+N when a signal N ended it; 2 for a usage error or a\n"
    "missing or unreadable chat.msg.\n"
    "\n"
    "The options come only before COMMAND; \"--\" ends them, for a COMMAND whose\n"
    "name begins with \"-\".";

int Fail(const std::string& message, int status) {
    std::fprintf(stderr, "jabbery-stdio: %s\n", message.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace jabbery;
    // Before any file is opened: none may take the number of a closed stream.
    OpenClosedStandardStreams();
    CLI::App app;
    DeclareCommonOptions(app, kUsage);
    app.footer(kFooter);
    std::vector<std::string> command;
    app.add_option("COMMAND", command);
    // Everything from COMMAND on is COMMAND's, options included.
    app.positionals_at_end();
    std::string error;
    switch (ParseOptions(app, {argv + 1, argv + argc}, error)) {
        case OptionsEnd::kError:
            return Fail(error, 2);
        case OptionsEnd::kHelp:
            std::fputs(app.help().c_str(), stdout);
            return 0;
        case OptionsEnd::kVersion:
            std::fputs(VersionNotice("jabbery-stdio").c_str(), stdout);
            return 0;
        case OptionsEnd::kRun:
            break;
    }
    if (command.empty() || command[0].empty()) return Fail("no command given (see --help)", 2);
    const StdioOutcome outcome = RunStdioBridge(command, kMessageFileName);
    return outcome.m_note.empty() ? outcome.m_exitCode : Fail(outcome.m_note, outcome.m_exitCode);
}
