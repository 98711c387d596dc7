// SPDX-License-Identifier: MIT
#include "cli/check_report.h"

#include <filesystem>

#include "engine/bot_check.h"
#include "engine/bot_descriptor.h"
#include "install/bundled_bots.h"
#include "platform/terminal_filter.h"

namespace jabbery {

namespace {

// Writes `line` and a line end, every byte of it: a NUL from a descriptor
// must not cut the line short and run it into the next.
void WriteLine(std::string line, std::FILE* stream) {
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stream);
}

}  // namespace

int PrintBotChecks(const std::vector<std::string>& folders, std::FILE* out, bool for_terminal) {
    int status = 0;
    const std::vector<BotCheck> checks = CheckBotFolders(folders);
    for (std::size_t i = 0; i < checks.size(); ++i) {
        const BotCheck& check = checks[i];
        std::string line = folders[i] + ": ";
        if (check.m_problems.empty()) {
            line += "ok (" + check.m_descriptor + ", name \"" + check.m_name + "\", runs \"" +
                    check.m_command + "\")";
        } else {
            status = 1;
            line += "FAILED: " + JoinedProblems(check);
        }
        WriteLine(for_terminal ? ForTerminal(line) : line, out);
    }
    return status;
}

bool ReportFailedChecks(const std::vector<std::string>& failures, bool strict, bool for_terminal,
                        std::FILE* err) {
    for (const std::string& failure : failures) {
        WriteLine(std::string("jabbery-cli: ") + (strict ? "" : "warning: ") +
                      (for_terminal ? ForTerminal(failure) : failure),
                  err);
    }
    if (!strict || failures.empty()) return true;
    std::fputs("jabbery-cli: --strict: nothing was run, as the check above failed\n", err);
    return false;
}

std::string NoBotInFolderText(const std::string& folder, const std::string& why) {
    return folder + ": " +
           (why.empty()
                ? std::string("no ") + kDescriptorName + " in this folder; it is not a bot's folder"
                : why);
}

std::string FolderProblem(const std::string& argument, const BotPlaces& places) {
    std::error_code error;
    const auto status = std::filesystem::status(argument, error);
    if (std::filesystem::is_directory(status)) {
        std::string why;  // a folder that cannot be listed says why
        if (!FindDescriptor(argument, &why).empty()) return {};
        return NoBotInFolderText(argument, why);
    }
    if (std::filesystem::exists(status)) return argument + ": not a folder";
    std::string problem = argument + ": no such folder";
    // A bare name was meant as a bot's name: say which names there are.
    if (argument.find('/') != std::string::npos) return problem;
    const std::vector<std::string> names = BotNamesClosestTo(places, argument);
    if (names.empty()) {
        return places.m_userBots.empty() ? problem
                                         : problem + ", and no bots in " + places.m_userBots;
    }
    problem += ", and no bot of that name; your bots are ";
    for (std::size_t i = 0; i < names.size(); ++i) problem += (i ? ", " : "") + names[i];
    return problem + " (in " + places.m_userBots + ")";
}

}  // namespace jabbery
