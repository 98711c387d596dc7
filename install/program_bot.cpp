// SPDX-License-Identifier: MIT
#include "install/program_bot.h"

#include <filesystem>

#include "engine/bot_descriptor.h"
#include "platform/whole_file.h"
#include "values/shell_quote.h"

namespace jabbery {
namespace {

namespace fs = std::filesystem;

// Why `name` cannot be a bot folder's name in the user's bots folder; empty when it can.
std::string NameProblem(const std::string& name) {
    if (name.empty()) return "the new bot needs a name";
    // A leading '-' would make the name an option where the bot is named
    // on a command line, as in the "jabbery-cli --try NAME" shown after.
    if (name.find_first_of("/\r\n") != std::string::npos || name.front() == '.' ||
        name.front() == '-') {
        return "'" + name +
               "' is not a plain folder name (no '/', no line break, no leading '.' or '-')";
    }
    if (name.size() > kMaxDescriptorLine) return "the name is longer than 259 characters";
    return "";
}

// Writes the folder's files; false with `error` on the first that fails.
bool FillProgramBot(const fs::path& folder, const std::string& name,
                    const std::vector<std::string>& command, const std::string& stdio_program,
                    std::string& error) {
    std::string run = ShellQuote(stdio_program);
    std::string shown;
    for (const std::string& word : command) {
        run += " " + ShellQuote(word);
        shown += (shown.empty() ? "" : " ") + word;
    }
    std::string line3 = run;
    if (run.size() > kMaxDescriptorLine) {
        // The bot's command runs in its folder, so the script is found there;
        // sh reads it whatever its mode.
        line3 = std::string("/bin/sh ./") + kProgramBotScript;
        if (!ReplaceWholeFile((folder / kProgramBotScript).string(),
                              "#!/bin/sh\nexec " + run + "\n", error)) {
            return false;
        }
    }
    // The description is shown, never run; a long one is simply cut.
    const std::string description = ("Runs " + shown).substr(0, kMaxDescriptorLine);
    const std::string descriptor =
        "Jabbery program bot\r\n" + description + "\r\n" + line3 + "\r\n" + name + "\r\n";
    return ReplaceWholeFile((folder / kDescriptorName).string(), descriptor, error);
}

}  // namespace

std::string StdioBridgePath(const std::string& program_folder) {
    const fs::path beside = fs::path(program_folder) / "jabbery-stdio";
    const fs::path build_tree = fs::path(program_folder).parent_path() / "cli" / "jabbery-stdio";
    std::error_code ignored;
    return (fs::is_regular_file(beside, ignored) || !fs::is_regular_file(build_tree, ignored)
                ? beside
                : build_tree)
        .string();
}

std::string MakeProgramBot(const BotPlaces& places, const std::string& name,
                           const std::vector<std::string>& command,
                           const std::string& stdio_program, std::string& error) {
    error = NameProblem(name);
    if (error.empty() && (command.empty() || command.front().empty())) {
        error = "the new bot needs a program to run";
    }
    std::error_code ignored;
    if (error.empty() && !fs::is_regular_file(stdio_program, ignored)) {
        error =
            "jabbery-stdio is not installed beside this program (looked for " + stdio_program + ")";
    }
    if (error.empty() && places.m_userBots.empty()) {
        error = "neither XDG_DATA_HOME nor HOME names a folder for your bots";
    }
    if (!error.empty()) return "";
    const fs::path folder = fs::path(places.m_userBots) / name;
    std::error_code failure;
    fs::create_directories(places.m_userBots, failure);
    // Made here and now, or refused: whatever has the name is the user's.
    if (failure || !fs::create_directory(folder, failure)) {
        error = failure && failure != std::errc::file_exists
                    ? "cannot make " + folder.string() + ": " + failure.message()
                    : folder.string() + " exists already; choose another name or remove it";
        return "";
    }
    std::string why;
    if (!FillProgramBot(folder, name, command, stdio_program, why)) {
        fs::remove_all(folder, failure);
        error = "cannot write the bot folder " + folder.string() + ": " + why;
        return "";
    }
    return folder.string();
}

}  // namespace jabbery
