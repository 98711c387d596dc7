// SPDX-License-Identifier: MIT
#include "model/model_options.h"

#include <utility>

namespace jabbery::model {

std::string ModelUsage() {
    return "Usage: jabbery-model                      (run by Jabbery in a bot's folder)\n"
           "       jabbery-model --init FOLDER --name NAME --endpoint URL --model MODEL\n"
           "                     [--persona TEXT] [--api-key-env VAR]\n"
           "A Jabbery bot that answers through a chat-model server speaking the\n"
           "OpenAI-compatible API (POST <endpoint>/chat/completions).\n"
           "\n"
           "  --init FOLDER      make a new bot folder (vorn.nfo and model.conf)\n"
           "  --name NAME        the bot's name in the conversation\n"
           "  --endpoint URL     the server's base URL, e.g. http://127.0.0.1:11434/v1\n"
           "  --model MODEL      the model name the server knows\n"
           "  --persona TEXT     the character, as a system prompt\n"
           "  --api-key-env VAR  the environment variable that holds the API key\n"
           "  --help             show this help\n"
           "  --version          show the version\n"
           "\n"
           "Settings live in model.conf in the bot's folder; see jabbery-model(1).\n";
}

std::string ModelVersionText() {
    return "jabbery-model " JABBERY_VERSION
           "\n"
           "Copyright (C) 2026 Jabbery developers\n"
           "License: MIT <https://opensource.org/licenses/MIT>\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

bool ParseModelOptions(const std::vector<std::string>& arguments, ModelOptions& options,
                       std::string& error) {
    InitRequest& init = options.init_request;
    const std::pair<const char*, std::string*> valued[] = {
        {"--init", &init.folder},       {"--name", &init.name},
        {"--endpoint", &init.endpoint}, {"--model", &init.model},
        {"--persona", &init.persona},   {"--api-key-env", &init.api_key_env}};
    bool any_init_value = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        if (argument == "--version") {
            options.version = true;
            continue;
        }
        bool known = false;
        for (const auto& [option, target] : valued) {
            if (argument != option) continue;
            known = true;
            if (i + 1 >= arguments.size()) {
                error = argument + " needs a value";
                return false;
            }
            *target = arguments[++i];
            any_init_value = true;
            if (argument == "--init") options.init = true;
        }
        if (!known) {
            error = "unknown argument '" + argument + "'";
            return false;
        }
    }
    if (options.help || options.version) return true;
    if (any_init_value && !options.init) {
        error = "--name, --endpoint, --model, --persona and --api-key-env go with --init";
        return false;
    }
    if (options.init) {
        for (const auto& [option, value] : {std::pair{"--name", init.name},
                                            {"--endpoint", init.endpoint},
                                            {"--model", init.model}}) {
            if (value.empty()) {
                error = std::string("--init needs ") + option;
                return false;
            }
        }
    }
    return true;
}

}  // namespace jabbery::model
