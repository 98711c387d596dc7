// SPDX-License-Identifier: MIT
// jabbery-stdio: makes a program that reads standard input a Jabbery bot.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "platform/program_options.h"
#include "platform/terminal.h"
#include "stdio/kept_bridge.h"
#include "stdio/stdio_bridge.h"
#include "values/bot_protocol.h"
#include "values/product.h"

namespace {

constexpr const char* kUsage =
    "Usage: jabbery-stdio COMMAND [ARGS...]\n"
    "       jabbery-stdio --keep [--skip-until REGEX] [--prompt REGEX] [--join] COMMAND [ARGS...]\n"
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
    "With --keep, COMMAND is started once and kept for the rest of the\n"
    "conversation (through JABBERY_KEEP, which Jabbery sets): each exchange hands\n"
    "it the line and reads its answer, so an interactive program keeps what it\n"
    "was told. When it has ended, the next exchange starts a new one and says so\n"
    "on standard error. Its standard error is not kept. It ends with the\n"
    "conversation, or after jabbery's --idle time unused.\n";

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
    bool keep = false;
    std::string skip_until;
    std::string prompt;
    KeptOptions kept;
    app.add_flag("--keep", keep, "keep COMMAND running between exchanges, for the\nconversation");
    // Each pattern is an ECMAScript regular expression, searched in a line
    // or in what has come of a line not yet ended (a prompt).
    const auto pattern = [](std::optional<std::regex>& compiled) {
        return [&compiled](const std::string& text) -> std::string {
            try {
                compiled.emplace(text);
                return "";
            } catch (const std::regex_error& error) {
                return "'" + text + "' is not a regular expression: " + error.what();
            }
        };
    };
    app.add_option("--skip-until", skip_until,
                   "with --keep: drop what a fresh COMMAND prints until a line\n"
                   "matches REGEX (its first prompt)")
        ->type_name("REGEX")
        ->check(pattern(kept.m_skipUntil));
    app.add_option("--prompt", prompt,
                   "with --keep: the answer is what COMMAND prints before a line\n"
                   "that matches REGEX (default: the first non-blank line)")
        ->type_name("REGEX")
        ->check(pattern(kept.m_prompt));
    app.add_flag("--join", kept.m_join, "with --prompt: all lines of the answer joined into one");
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
    if (!keep && (kept.m_skipUntil || kept.m_prompt || kept.m_join)) {
        return Fail("--skip-until, --prompt and --join go with --keep (see --help)", 2);
    }
    if (kept.m_join && !kept.m_prompt) {
        return Fail("--join needs --prompt, which says where the answer ends (see --help)", 2);
    }
    const StdioOutcome outcome = keep ? RunKeptBridge(command, kMessageFileName, kept)
                                      : RunStdioBridge(command, kMessageFileName);
    return outcome.m_note.empty() ? outcome.m_exitCode : Fail(outcome.m_note, outcome.m_exitCode);
}
