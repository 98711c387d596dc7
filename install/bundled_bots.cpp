// SPDX-License-Identifier: MIT
#include "install/bundled_bots.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "engine/bot_descriptor.h"
#include "platform/self_location.h"
#include "platform/text_file.h"
#include "values/shell_quote.h"

namespace jabbery {
namespace {

namespace fs = std::filesystem;

std::string FolderOrEmpty(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder, error) ? folder.lexically_normal().string() : std::string();
}

// The lines of a text file, without their line ends (LF or CR LF).
bool ReadLines(const fs::path& path, std::vector<std::string>& lines) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    const std::string text(std::istreambuf_iterator<char>(file), {});
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

// The bundled bot's descriptor for the user's copy: line 3 of the template
// runs "./<program>" from the bot's folder; the copy runs that program
// where it is installed instead.
bool UserDescriptor(const BotPlaces& places, const std::string& name,
                    std::vector<std::string>& lines, std::string& error) {
    const fs::path descriptor = fs::path(places.m_templates) / name / kDescriptorName;
    if (!ReadLines(descriptor, lines) || lines.size() < 3) {
        error = "the bundled bot's descriptor " + descriptor.string() + " is missing or too short";
        return false;
    }
    const std::string& command = lines[2];
    const std::string program = command.substr(std::min<std::size_t>(2, command.size()));
    if (command.rfind("./", 0) != 0 || program.empty() ||
        program.find_first_of("/ \t") != std::string::npos) {
        error = "line 3 of " + descriptor.string() + " does not run a program of the bot's own";
        return false;
    }
    const fs::path executable = fs::path(places.m_executables) / name / program;
    std::error_code ignored;
    if (places.m_executables.empty() || !fs::is_regular_file(executable, ignored)) {
        error = "the bundled bot's program " + executable.string() + " is missing";
        return false;
    }
    lines[2] = ShellQuote(executable.lexically_normal().string());
    return true;
}

// Fills `folder` with the user's copy of bundled bot `name`.
bool FillCopy(const BotPlaces& places, const std::string& name, const fs::path& folder,
              std::string& error) {
    std::vector<std::string> descriptor;
    if (!UserDescriptor(places, name, descriptor, error)) return false;
    std::error_code failure;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(places.m_templates) / name, failure)) {
        if (entry.path().filename() == kDescriptorName) continue;
        fs::copy(entry.path(), folder / entry.path().filename(), fs::copy_options::recursive,
                 failure);
        if (failure) break;
    }
    if (failure) {
        error = failure.message();
        return false;
    }
    if (!WriteTextLines((folder / kDescriptorName).string(), descriptor)) {
        error = "its descriptor could not be written";
        return false;
    }
    return true;
}

// A name no other folder has yet, beside where the copy will go.
fs::path NewPartialFolder(const fs::path& target, std::error_code& error) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = target.parent_path() / ("." + target.filename().string() +
                                                           ".partial-" + std::to_string(random()));
        if (fs::create_directory(candidate, error)) return candidate;
        if (error) break;
    }
    return fs::path();
}

// The edits that turn `a` into `b`: letters added, dropped or changed, and
// two neighbours swapped, each counting one ("hsak" is one from "hask").
std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

}  // namespace

bool IsBareName(const std::string& argument) {
    return !argument.empty() && argument != "." && argument != ".." &&
           argument.find('/') == std::string::npos;
}

BotPlaces FindBotPlaces(const std::string& program_folder, const std::string& data_home) {
    BotPlaces places;
    if (!program_folder.empty()) {
        const fs::path prefix = fs::path(program_folder).parent_path();
        places.m_templates = FolderOrEmpty(prefix / "share/jabbery/bots");
        places.m_executables = FolderOrEmpty(prefix / "lib/jabbery/bots");
    }
    if (!data_home.empty()) {
        places.m_userBots = (fs::path(data_home) / "jabbery/bots").lexically_normal().string();
    }
    return places;
}

BotPlaces CurrentBotPlaces() {
    return FindBotPlaces(ProgramFolder(), UserDataHome());
}

std::vector<std::string> BundledBotNames(const BotPlaces& places) {
    std::vector<std::string> names;
    if (places.m_templates.empty()) return names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(places.m_templates, error)) {
        std::error_code ignored;
        if (fs::is_regular_file(entry.path() / kDescriptorName, ignored)) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool MakeUserCopy(const BotPlaces& places, const std::string& name, std::string& error) {
    if (places.m_userBots.empty()) {
        error = "cannot copy the bundled bot " + name +
                ": neither XDG_DATA_HOME nor HOME names a folder for your bots";
        return false;
    }
    const fs::path target = fs::path(places.m_userBots) / name;
    std::error_code failure;
    // Whatever is there is the user's: it is never replaced.
    if (fs::exists(fs::symlink_status(target, failure))) return true;
    const std::string failed =
        "could not make your copy of the bundled bot " + name + " in " + target.string() + ": ";

    fs::create_directories(places.m_userBots, failure);
    const fs::path partial = failure ? fs::path() : NewPartialFolder(target, failure);
    if (partial.empty()) {
        error = failed + failure.message();
        return false;
    }
    // The copy is made under a hidden name and renamed when whole, so no
    // other program ever sees a half-made bot folder.
    std::string reason;
    bool made = FillCopy(places, name, partial, reason);
    if (made) {
        fs::rename(partial, target, failure);
        // Another program may have made the same copy meanwhile: that one stays.
        made = !failure || fs::exists(target);
        if (failure) reason = failure.message();
    }
    std::error_code ignored;
    fs::remove_all(partial, ignored);
    if (!made) error = failed + reason;
    return made;
}

bool CopyBundledBots(const BotPlaces& places, std::string& error) {
    std::error_code failure;
    if (!places.m_userBots.empty()) fs::create_directories(places.m_userBots, failure);
    bool ok = true;
    for (const std::string& name : BundledBotNames(places)) {
        std::string bot_error;
        if (!MakeUserCopy(places, name, bot_error) && ok) {
            error = bot_error;
            ok = false;
        }
    }
    return ok;
}

bool ResolveBotArgument(const BotPlaces& places, std::string& argument, std::string& error) {
    std::error_code ignored;
    if (!IsBareName(argument) || fs::is_directory(argument, ignored)) return true;
    const fs::path user_folder = fs::path(places.m_userBots) / argument;
    const bool bundled =
        !places.m_templates.empty() &&
        fs::is_regular_file(fs::path(places.m_templates) / argument / kDescriptorName, ignored);
    const bool users = !places.m_userBots.empty() && fs::is_directory(user_folder, ignored);
    if (!bundled && !users) return true;
    if (!users && !MakeUserCopy(places, argument, error)) return false;
    argument = user_folder.string();
    return true;
}

std::vector<std::string> BotNamesClosestTo(const BotPlaces& places, const std::string& name) {
    std::vector<std::string> names = BundledBotNames(places);
    std::error_code error;
    if (!places.m_userBots.empty()) {
        for (const fs::directory_entry& entry : fs::directory_iterator(places.m_userBots, error)) {
            // A name starting with '.' is a copy being made, or no bot of the user's.
            const std::string entry_name = entry.path().filename().string();
            if (entry_name.front() != '.' && !FindDescriptor(entry.path().string()).empty()) {
                names.push_back(entry_name);
            }
        }
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        return EditDistance(a, name) < EditDistance(b, name);
    });
    return names;
}

bool ResolveBotArguments(std::vector<std::string>& arguments, std::string& error) {
    const BotPlaces places = CurrentBotPlaces();
    for (std::string& argument : arguments) {
        if (!ResolveBotArgument(places, argument, error)) return false;
    }
    return true;
}

}  // namespace jabbery
