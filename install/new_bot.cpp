// SPDX-License-Identifier: MIT
#include "install/new_bot.h"

#include <filesystem>

#include "engine/bot_descriptor.h"
#include "platform/whole_file.h"

namespace jabbery {

namespace fs = std::filesystem;

namespace {

// The script a long command line goes to, named relative to the bot's folder.
constexpr const char* kScriptName = "run.sh";

}  // namespace

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string UserBotFolder(const BotPlaces& places, const std::string& name, std::string& error) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        error = "'" + name + "' is not a bot's name (a name without \"/\")";
        return "";
    }
    if (places.m_userBots.empty()) {
        error = "there is no folder for your bots (XDG_DATA_HOME and HOME are unset)";
        return "";
    }
    return (fs::path(places.m_userBots) / name).string();
}

std::string MakeProgramBot(const BotPlaces& places, const std::string& name,
                           const std::vector<std::string>& command, const std::string& bridge,
                           std::string& error) {
    const std::string folder = UserBotFolder(places, name, error);
    if (folder.empty()) return "";
    if (command.empty() || command[0].empty()) {
        error = "no program given to run (put it after --)";
        return "";
    }
    if (name.size() > kMaxDescriptorLine || name.find_first_of("\r\n") != std::string::npos) {
        error = "a bot's name is one line of at most 259 characters";
        return "";
    }
    std::string line = ShellQuoted(fs::absolute(bridge).lexically_normal().string());
    for (const std::string& word : command) line += " " + ShellQuoted(word);
    std::error_code failure;
    fs::create_directories(places.m_userBots, failure);
    // create_directory says false for a folder that is there: the user's, never touched.
    if (failure || !fs::create_directory(folder, failure)) {
        error = failure ? "cannot make " + folder + ": " + failure.message()
                        : folder + " exists already; choose another name";
        return "";
    }
    if (line.size() > kMaxDescriptorLine || line.find_first_of("\r\n") != std::string::npos) {
        if (!ReplaceWholeFile((fs::path(folder) / kScriptName).string(),
                              "#!/bin/sh\nexec " + line + "\n", error)) {
            return "";
        }
        line = std::string("sh ") + kScriptName;
    }
    // Line 2 says what the bot runs, as far as it fits.
    std::string about = "runs";
    for (const std::string& word : command) about += " " + word;
    for (char& c : about) c = c == '\r' || c == '\n' ? ' ' : c;
    about = about.substr(0, kMaxDescriptorLine);
    if (!ReplaceWholeFile((fs::path(folder) / kDescriptorName).string(),
                          "Jabbery bot\r\n" + about + "\r\n" + line + "\r\n" + name + "\r\n",
                          error)) {
        return "";
    }
    return folder;
}

}  // namespace jabbery
