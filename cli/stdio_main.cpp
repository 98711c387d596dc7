// SPDX-License-Identifier: MIT
#include <cstdio>
#include <string>
#include <vector>

#include "cli/stdio_bridge.h"
#include "engine/exchange.h"
#include "platform/terminal.h"
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
    "standard error passes through.\n"
    "\n"
    "Exit status: 0 when COMMAND answered. Otherwise chat.msg is left as it was\n"
    "and the status is COMMAND's exit code: 1 when it printed nothing, 127 when it\n"
    "could not be run, 128+N when a signal N ended it; 2 for a usage error or a\n"
    "missing or unreadable chat.msg.\n"
    "\n"
    "Options (only before COMMAND):\n"
    "  --help     show this help\n"
    "  --version  show the version\n";

int Fail(const std::string& message, int status) {
    std::fprintf(stderr, "jabbery-stdio: %s\n", message.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // Before any file is opened: none may take the number of a closed stream.
    jabbery::OpenClosedStandardStreams();
    std::vector<std::string> command(argv + 1, argv + argc);
    if (!command.empty() && command[0] == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!command.empty() && command[0] == "--version") {
        std::printf(
            "jabbery-stdio %s\n"
            "Copyright (C) 2026 Jabbery developers\n"
            "License: MIT <https://opensource.org/licenses/MIT>\n"
            "This is free software: you are free to change and redistribute it.\n"
            "There is NO WARRANTY, to the extent permitted by law.\n",
            jabbery::kVersion);
        return 0;
    }
    // "--" ends the options, for a command whose name begins with "-".
    if (!command.empty() && command[0] == "--") {
        command.erase(command.begin());
    } else if (!command.empty() && command[0].size() > 1 && command[0][0] == '-') {
        return Fail("unknown option " + command[0] + " (see --help)", 2);
    }
    if (command.empty() || command[0].empty()) return Fail("no command given (see --help)", 2);
    const jabbery::StdioOutcome outcome =
        jabbery::RunStdioBridge(command, jabbery::kMessageFileName);
    return outcome.m_note.empty() ? outcome.m_exitCode : Fail(outcome.m_note, outcome.m_exitCode);
}
