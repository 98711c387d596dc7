// SPDX-License-Identifier: MIT
#include "shell/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "engine/bot_descriptor.h"
#include "install/bundled_bots.h"
#include "transcript/transcript_autosave.h"
#include "values/conversation_facts.h"
#include "values/product.h"

namespace jabbery {

namespace {

// The usage line and what the options do not say, at the head of --help.
std::string Usage() {
    return "Usage: jabbery [BOTDIR...]\n"
           "       jabbery --replay LOG\n"
           "       jabbery --continue LOG [BOTDIR...]\n"
           "       jabbery [options] FILE.jabbery [BOTDIR...]\n"
           "Links " +
           BotCountRange() +
           " chat bots into one conversation in a window.\n"
           "\n"
           "With no BOTDIR, the window asks for the number of bots and for each\n"
           "bot's folder. Each BOTDIR given answers those questions in advance:\n"
           "the folders of bot 1, bot 2, ... in order (" +
           BotCountRange() +
           " of them).\n"
           "A bot's folder holds its descriptor, vorn.nfo. A bare name such as 'hask',\n"
           "when no folder of that name is here, names your own bot folder of that name\n"
           "in $XDG_DATA_HOME/jabbery/bots (by default ~/.local/share/jabbery/bots),\n"
           "where the folder prompt starts; a bot that comes with Jabbery is copied there\n"
           "on first use.\n"
           "\n"
           "A conversation file (FILE.jabbery) sets the bots, the speaking order, the\n"
           "stop rules and the pace; options given here go over its values, and\n"
           "BOTDIRs given with it replace its bots.\n"
           "\n"
           "Each conversation is kept as it grows in $XDG_STATE_HOME/jabbery/\n"
           "conversations (default ~/.local/state/...); the newest " +
           std::to_string(kKeptConversations) +
           " are kept.\n"
           "\n"
           "A turn whose bot fails is marked in the window and warned about on\n"
           "standard error, as jabbery-cli does.\n";
}

// Declares every option of the window's program on `app`, read into `line`.
void DeclareWindowOptions(CLI::App& app, CommandLine& line) {
    DeclareCommonOptions(app, Usage());
    app.footer("\"--\" ends the options; later arguments are folders.");
    app.add_flag_callback(
        "--no-autosave", [&line] { line.m_autosave = false; },
        "do not keep the conversation as it grows");
    app.add_flag("--quiet", line.m_quiet, "no warnings on standard error");
    app.add_option("--name", line.m_name,
                   "your name when you join the conversation (Ctrl+J), not asked then")
        ->type_name("NAME")
        ->check(NamesSomeone);
    DeclareOpeningOption(app, line.m_opening);
    CLI::Option* replay =
        app.add_option("--replay", line.m_replayLog,
                       "show the conversation LOG (a JSON Lines log) recorded, read-only;\n"
                       "no bot runs; save and export work")
            ->type_name("LOG");
    app.add_option("--continue", line.m_continueLog,
                   "go on with the conversation LOG recorded: its bots again (or the\n"
                   "BOTDIRs given, one for each), its last line handed on; the new\n"
                   "turns are appended to LOG")
        ->type_name("LOG")
        ->excludes(replay);
    app.add_option("BOTDIR", line.m_botFolders)->check([](const std::string& folder) {
        return folder.empty() ? "an empty folder name was given" : "";
    });
}

// Reads a conversation file named among the folders into `line`, under what
// the options set; false with m_error when there are two or it is wrong.
bool TakeConversationFile(CommandLine& line) {
    std::vector<std::string>& folders = line.m_botFolders;
    const auto file_at = std::find_if(folders.begin(), folders.end(), IsConversationFile);
    if (file_at == folders.end()) return true;
    if (std::count_if(folders.begin(), folders.end(), IsConversationFile) > 1) {
        line.m_error = "one conversation file at a time, please (see --help)";
        return false;
    }
    std::optional<ConversationFile> file = ReadConversationFile(*file_at, line.m_error);
    if (!file) return false;
    folders.erase(file_at);
    if (folders.empty()) {
        for (const FileBot& bot : file->m_bots) folders.push_back(bot.m_folder);
    } else {
        file->m_bots.clear();  // replaced by the folders given
    }
    if (!line.m_opening) line.m_opening = file->m_opening;
    if (line.m_name.empty()) line.m_name = file->m_humanName.value_or("");
    line.m_setUp = std::move(*file);
    return true;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine result;
    CLI::App app;
    DeclareWindowOptions(app, result);
    result.m_action = ParseOptions(app, arguments, result.m_error);
    if (result.m_action != OptionsEnd::kRun) return result;
    if (result.m_replayLog && !result.m_botFolders.empty()) {
        result.m_error = "--replay takes no BOTDIR: it runs no bot";
        result.m_action = OptionsEnd::kError;
        return result;
    }
    if (!TakeConversationFile(result)) {
        result.m_action = OptionsEnd::kError;
        return result;
    }
    // Bare names of bundled bots become the user's copies, made only now
    // that the whole line is known to be run.
    if (!ResolveBotArguments(result.m_botFolders, result.m_error)) {
        result.m_action = OptionsEnd::kError;
    }
    for (std::string& folder : result.m_botFolders) folder = FolderAsPromptGivesIt(folder);
    return result;
}

std::string CommandLineUsage() {
    CommandLine unused;
    CLI::App app;
    DeclareWindowOptions(app, unused);
    return app.help();
}

std::string VersionText() {
    return VersionNotice("jabbery");
}

}  // namespace jabbery
