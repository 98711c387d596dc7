// SPDX-License-Identifier: MIT
// What the command line of every Jabbery program has in common.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace jabbery {

// How reading a command line ended.
enum class OptionsEnd {
    kRun,      // the options were read: the program goes on
    kHelp,     // -h or --help was given
    kVersion,  // --version was given
    kError,    // the command line is wrong
};

// Gives `app` what every Jabbery program's command line has: -h/--help and
// --version, `usage` (the usage lines and what the program does) at the head
// of --help in place of a generated usage line, an option given twice that
// keeps its last value, and flags that take no value. Call it before
// declaring the program's own options, which inherit these rules.
void DeclareCommonOptions(CLI::App& app, std::string usage);

// Declares --opening TEXT, the line the first bot is handed, which both
// conversation programs have.
void DeclareOpeningOption(CLI::App& app, std::optional<std::string>& opening);

// Declares --idle SECONDS (1 to a day), how long a program a bot keeps
// between turns may go unused, which both conversation programs have.
void DeclareIdleOption(CLI::App& app, std::chrono::milliseconds& idle);

// The check of a --name: empty when `name` names someone, else why not.
std::string NamesSomeone(const std::string& name);

// Reads `arguments` (without the program's name) into the options declared
// on `app`. On kError, `error` holds one line that names the option at fault
// and points to --help.
OptionsEnd ParseOptions(CLI::App& app, const std::vector<std::string>& arguments,
                        std::string& error);

}  // namespace jabbery
