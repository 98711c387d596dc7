// SPDX-License-Identifier: MIT
#include "engine/bot_check.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <future>

#include "engine/bot_descriptor.h"
#include "engine/model_bot_check.h"
#include "platform/file_checks.h"

namespace jabbery {

namespace {

// The POSIX shell's builtins and reserved words a command line may start with.
constexpr std::array<std::string_view, 24> kShellBuiltins = {
    ":",     "true", "false", "echo", "printf", "cd",      "read",  "test",
    "[",     "set",  "eval",  "exit", "export", "command", "if",    "for",
    "while", "case", "{",     "(",    "type",   "umask",   "unset", "."};

// A program that runs a script named by its first argument that is not an
// option, unless an option (in a word of single-letter options) gives it the
// code itself or names a module instead: the letters of those options.
struct Interpreter {
    std::string_view m_name;
    std::string_view m_codeOptions;
};
constexpr std::array<Interpreter, 14> kInterpreters = {{{"sh", "c"},
                                                        {"bash", "c"},
                                                        {"dash", "c"},
                                                        {"zsh", "c"},
                                                        {"python", "cm"},
                                                        {"python3", "cm"},
                                                        {"perl", "eE"},
                                                        {"node", "ep"},
                                                        {"nodejs", "ep"},
                                                        {"ruby", "e"},
                                                        {"php", "r"},
                                                        {"lua", "e"},
                                                        {"tclsh", ""},
                                                        {"Rscript", "e"}}};

// True when `option` is a word of single-letter options with one of `letters`.
bool HasOptionLetter(const std::string& option, std::string_view letters) {
    return option.size() > 1 && option[0] == '-' && option[1] != '-' &&
           option.find_first_of(letters) != std::string::npos;
}

// The command line's commands (split at ;, & and |), each as its words,
// with simple quotes and double quotes removed; a command substitution,
// $(...) or `...`, stays inside its word whatever it holds. Enough to find a
// program's name; the shell itself reads the line at run time.
std::vector<std::vector<std::string>> Commands(const std::string& command) {
    std::vector<std::vector<std::string>> commands(1);
    std::string word;
    bool in_word = false;
    char quote = 0;
    int nesting = 0;  // of $( )
    bool backquoted = false;
    char previous = 0;
    const auto end_word = [&] {
        if (in_word) commands.back().push_back(word);
        word.clear();
        in_word = false;
    };
    for (char c : command) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                word += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            in_word = true;
        } else if (c == '`' || (c == '(' && previous == '$') || (c == ')' && nesting > 0)) {
            if (c == '`') backquoted = !backquoted;
            nesting += c == '(' ? 1 : c == ')' ? -1 : 0;
            word += c;
            in_word = true;
        } else if (nesting == 0 && !backquoted && (c == ' ' || c == '\t')) {
            end_word();
        } else if (nesting == 0 && !backquoted && (c == ';' || c == '&' || c == '|')) {
            end_word();
            if (!commands.back().empty()) commands.emplace_back();
        } else {
            word += c;
            in_word = true;
        }
        previous = c;
    }
    end_word();
    return commands;
}

bool IsAssignment(const std::string& word) {
    const std::size_t equals = word.find('=');
    return equals != std::string::npos && equals > 0 &&
           word.find_first_not_of(
               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_") == equals;
}

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& list, const std::string& word) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

std::string InFolder(const std::string& folder, const std::string& path) {
    return path.front() == '/' ? path : folder + "/" + path;
}

// The problem with `command` run in `folder`, or empty text when it can be found.
std::string CommandProblem(const std::string& command, const std::string& folder) {
    const auto runs = [](const std::string& word) { return !IsAssignment(word) && word != "exec"; };
    // The first command that runs a program: one of assignments only runs none.
    const std::vector<std::vector<std::string>> commands = Commands(command);
    const auto running = std::find_if(commands.begin(), commands.end(), [&](const auto& words) {
        return std::any_of(words.begin(), words.end(), runs);
    });
    if (running == commands.end()) return "the command line (line 3) runs no program";
    const std::vector<std::string>& words = *running;
    const auto first = std::find_if(words.begin(), words.end(), runs);
    // A subshell's parentheses are the shell's, not part of the program's name.
    std::string program = first->substr(std::min(first->find_first_not_of('('), first->size()));
    if (program.empty() || Contains(kShellBuiltins, program)) return {};
    // A name the shell expands ($VAR, ~, `...`) can be looked for only when it runs.
    if (program.front() == '~' || program.find_first_of("$`") != std::string::npos) return {};
    if (program.find('/') != std::string::npos) {
        if (!IsExecutableFile(InFolder(folder, program))) {
            return "the program " + program + " is not an executable file in the folder";
        }
    } else if (!FindOnPath(program)) {
        return "the program " + program + " is not found on PATH";
    }
    const std::string name = std::filesystem::path(program).filename().string();
    const auto interpreter =
        std::find_if(kInterpreters.begin(), kInterpreters.end(),
                     [&name](const Interpreter& each) { return each.m_name == name; });
    if (interpreter == kInterpreters.end()) return {};
    const auto script = std::find_if(first + 1, words.end(), [](const std::string& word) {
        return !word.empty() && word.front() != '-';
    });
    const bool code_given = std::any_of(first + 1, script, [&](const std::string& option) {
        return HasOptionLetter(option, interpreter->m_codeOptions);
    });
    if (code_given || script == words.end() || script->front() == '/') return {};
    std::error_code error;
    if (!std::filesystem::is_regular_file(InFolder(folder, *script), error)) {
        return name + " is to run " + *script + ", which is not in the folder";
    }
    return {};
}

}  // namespace

BotCheck CheckBotFolder(const std::string& folder) {
    BotCheck check;
    std::string unlisted;
    const std::string descriptor = FindDescriptor(folder, &unlisted);
    if (descriptor.empty()) {
        check.m_problems.push_back(
            unlisted.empty() ? std::string("no ") + kDescriptorName + " in this folder" : unlisted);
        return check;
    }
    check.m_descriptor = std::filesystem::path(descriptor).filename().string();
    std::string why;
    const std::optional<Participant> bot = ReadBot(folder, &why);
    if (!bot) {
        check.m_problems.push_back(why.empty() ? check.m_descriptor + " cannot be read" : why);
        return check;
    }
    check.m_name = bot->m_name.Str();
    check.m_command = bot->m_command.Str();
    if (check.m_name.find_first_not_of(" \t") == std::string::npos) {
        check.m_problems.push_back("the name (line 4) is empty");
    }
    if (check.m_command.find_first_not_of(" \t") == std::string::npos) {
        check.m_problems.push_back("the command line (line 3) is empty");
    } else if (check.m_command.find('\0') != std::string::npos) {
        // A command line is handed to the shell as a C string, which a NUL ends.
        check.m_problems.push_back(
            "the command line (line 3) holds a NUL byte, so it cannot run: save vorn.nfo as "
            "plain text, not UTF-16");
    } else if (std::string problem = CommandProblem(check.m_command, folder); !problem.empty()) {
        check.m_problems.push_back(problem);
    }
    for (std::string& problem : CutLineProblems(folder)) check.m_problems.push_back(problem);
    if (!CanWriteIn(folder)) {
        check.m_problems.push_back("the folder is not writable, so chat.msg cannot be made there");
    }
    if (IsChatModelBot(folder, check.m_command)) {
        for (std::string& problem : ChatModelProblems(folder, kEndpointProbeLimit)) {
            check.m_problems.push_back(problem);
        }
    }
    return check;
}

std::vector<BotCheck> CheckBotFolders(const std::vector<std::string>& folders) {
    std::vector<std::future<BotCheck>> running;
    for (const std::string& folder : folders) {
        // Side by side; when no thread can be started, one after another.
        running.push_back(
            std::async(std::launch::async | std::launch::deferred, CheckBotFolder, folder));
    }
    std::vector<BotCheck> checks;
    for (auto& check : running) checks.push_back(check.get());
    return checks;
}

std::vector<std::string> CutLineProblems(const std::string& folder) {
    std::vector<std::string> problems;
    const std::string descriptor = FindDescriptor(folder);
    // One character more than a descriptor line keeps tells a cut line from one that fits.
    std::array<std::string, 4> lines;
    std::string unreadable;
    if (descriptor.empty() ||
        !ReadDescriptorLines(descriptor, kMaxDescriptorLine + 1, lines, unreadable)) {
        return problems;
    }
    const std::string cut =
        " is longer than " + std::to_string(kMaxDescriptorLine) + " characters and is cut there";
    if (lines[2].size() > kMaxDescriptorLine) {
        problems.push_back("the command line (line 3)" + cut +
                           ": put the command in a script in the bot's folder and run that "
                           "(line 3: sh bot.sh)");
    }
    if (lines[3].size() > kMaxDescriptorLine) problems.push_back("the name (line 4)" + cut);
    return problems;
}

std::vector<std::string> FailedBotChecks(const std::vector<Participant>& bots) {
    std::vector<std::string> folders;
    for (const Participant& bot : bots) folders.push_back(bot.m_folder.Str());
    const std::vector<BotCheck> checks = CheckBotFolders(folders);
    std::vector<std::string> failures;
    for (std::size_t bot = 0; bot < checks.size(); ++bot) {
        if (checks[bot].m_problems.empty()) continue;
        const std::string name = bots[bot].m_name.Upper().Str();
        failures.push_back("bot " + std::to_string(bot + 1) + " (" +
                           (name.empty() ? "" : name + ", ") + folders[bot] +
                           "): " + JoinedProblems(checks[bot]));
    }
    return failures;
}

std::string JoinedProblems(const BotCheck& check) {
    std::string text;
    for (const std::string& problem : check.m_problems) {
        text += (text.empty() ? "" : "; ") + problem;
    }
    return text;
}

}  // namespace jabbery
