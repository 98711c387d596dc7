// SPDX-License-Identifier: MIT
#include "model/bot_init.h"

#include "engine/bot_descriptor.h"
#include "engine/model_config.h"
#include "platform/whole_file.h"
#include "values/shell_quote.h"

namespace jabbery::model {
namespace {

bool Check(const InitRequest& request, const std::string& command, std::string& error) {
    for (const auto& [option, value] : {std::pair{"--name", request.name},
                                        {"--endpoint", request.endpoint},
                                        {"--model", request.model},
                                        {"--persona", request.persona}}) {
        if (value.find_first_of("\r\n") != std::string::npos) {
            error = std::string(option) + " must be one line";
            return false;
        }
    }
    if (!request.api_key_env.empty() && !IsVariableName(request.api_key_env)) {
        // The value is not repeated: it may be the key itself, given by mistake.
        error =
            "--api-key-env takes the name of an environment variable (letters, digits and _), "
            "not the key itself";
        return false;
    }
    if (request.name.size() > kMaxDescriptorLine) {
        error = "--name is longer than 259 characters";
        return false;
    }
    if (command.size() > kMaxDescriptorLine) {
        error = "the path of jabbery-model is too long for vorn.nfo (259 characters at most)";
        return false;
    }
    if (request.folder.empty()) {
        error = "--init needs a folder";
        return false;
    }
    std::error_code ignored;
    const std::filesystem::path folder(request.folder);
    if (std::filesystem::exists(folder, ignored) &&
        (!std::filesystem::is_directory(folder, ignored) ||
         !std::filesystem::is_empty(folder, ignored))) {
        error = request.folder + " already exists and is not an empty folder";
        return false;
    }
    return true;
}

}  // namespace

bool CreateBotFolder(const InitRequest& request, const std::filesystem::path& program,
                     std::string& error) {
    const std::string command = ShellQuote(std::filesystem::absolute(program).string());
    if (!Check(request, command, error)) return false;
    const std::filesystem::path folder(request.folder);
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (failure) {
        error = "cannot create " + request.folder + ": " + failure.message();
        return false;
    }
    const std::string descriptor = "Jabbery chat-model bot\r\n" + request.model + " at " +
                                   request.endpoint + "\r\n" + command + "\r\n" + request.name +
                                   "\r\n";
    std::string config = "# Settings of this chat-model bot; every key is in jabbery-model(1).\n";
    config += "endpoint = " + request.endpoint + "\n";
    config += "model = " + request.model + "\n";
    if (!request.persona.empty()) config += "persona = " + request.persona + "\n";
    if (!request.api_key_env.empty()) config += "api_key_env = " + request.api_key_env + "\n";
    return ReplaceWholeFile((folder / kConfigFile).string(), config, error) &&
           ReplaceWholeFile((folder / "vorn.nfo").string(), descriptor, error);
}

}  // namespace jabbery::model
