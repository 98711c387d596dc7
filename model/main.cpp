// SPDX-License-Identifier: MIT
// jabbery-model: a Jabbery bot whose answers come from a chat-model server.
#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "install/bundled_bots.h"
#include "model/bot_init.h"
#include "model/model_options.h"
#include "model/model_turn.h"
#include "model/usage.h"
#include "platform/terminal.h"
#include "values/product.h"
#include "values/shell_quote.h"

namespace {

// Prints one line on standard error and gives back `status` to exit with.
int Tell(const std::string& message, int status) {
    std::fprintf(stderr, "jabbery-model: %s\n", message.c_str());
    return status;
}

std::string FromEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    return value == nullptr ? std::string() : std::string(value);
}

// libcurl's global state lives exactly as long as main.
class CurlGlobal {
  public:
    CurlGlobal() : m_ok(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {}
    ~CurlGlobal() {
        if (m_ok) curl_global_cleanup();
    }
    CurlGlobal(const CurlGlobal&) = delete;
    CurlGlobal& operator=(const CurlGlobal&) = delete;
    bool Ok() const { return m_ok; }

  private:
    bool m_ok;
};

// The folder of the user's own bot `name`, or empty when neither
// XDG_DATA_HOME nor HOME names a folder for the user's bots.
std::string UserBotFolder(const std::string& name) {
    const std::string bots = jabbery::CurrentBotPlaces().m_userBots;
    return bots.empty() ? std::string() : (std::filesystem::path(bots) / name).string();
}

// Prints what the bot in `folder` has spent, for --usage.
int ShowUsage(std::string folder) {
    std::error_code ignored;
    // A bare name with no folder of that name here is the user's bot of that
    // name, where --init made it and where jabbery-cli finds it.
    if (jabbery::IsBareName(folder) && !std::filesystem::is_directory(folder, ignored)) {
        const std::string mine = UserBotFolder(folder);
        if (!mine.empty()) folder = mine;
    }
    if (!std::filesystem::is_directory(folder, ignored))
        return Tell(folder + " is not a folder", 1);
    jabbery::model::Usage usage;
    std::string error;
    if (!jabbery::model::ReadUsage(folder, usage, error)) return Tell(error, 1);
    std::printf("tokens used: %lld\ncalls made: %lld\n", usage.tokens, usage.calls);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Before any file is opened: none may take the number of a closed stream.
    jabbery::OpenClosedStandardStreams();
    using namespace jabbery::model;
    ModelOptions options;
    std::string error;
    switch (ParseModelOptions({argv + 1, argv + argc}, options, error)) {
        case jabbery::OptionsEnd::kError:
            return Tell(error, 2);
        case jabbery::OptionsEnd::kHelp:
            std::fputs(ModelUsage().c_str(), stdout);
            return 0;
        case jabbery::OptionsEnd::kVersion:
            std::fputs(jabbery::VersionNotice("jabbery-model").c_str(), stdout);
            return 0;
        case jabbery::OptionsEnd::kRun:
            break;
    }
    if (options.usage) return ShowUsage(options.usage_folder);
    if (options.init) {
        // The new bot's descriptor runs this very program, wherever it lies
        // (build tree, installed or unpacked package): the kernel knows.
        std::error_code failure;
        const std::filesystem::path program =
            std::filesystem::read_symlink("/proc/self/exe", failure);
        if (failure) return Tell("cannot find where jabbery-model itself lies", 1);
        // A bare name makes the bot among the user's own, where the
        // window's folder prompt and a bare name on a command line find it.
        std::string& folder = options.init_request.folder;
        if (jabbery::IsBareName(folder)) {
            folder = UserBotFolder(folder);
            if (folder.empty()) {
                return Tell("neither XDG_DATA_HOME nor HOME names a folder for your bots", 1);
            }
        }
        if (!CreateBotFolder(options.init_request, program, error)) return Tell(error, 1);
        std::printf(
            "Made the bot folder %s; add it to a conversation, e.g.\n"
            "  jabbery-cli %s OTHER-BOT-FOLDER\n",
            folder.c_str(), jabbery::ShellQuote(folder).c_str());
        return 0;
    }

    const CurlGlobal curl;
    if (!curl.Ok()) return Tell("cannot start libcurl", 1);
    const TurnResult result = RunModelTurn(".", FromEnvironment);
    for (const std::string& warning : result.warnings) Tell(warning, 0);
    return result.ok ? 0 : Tell(result.error, 1);
}
