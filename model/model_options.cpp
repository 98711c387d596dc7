// SPDX-License-Identifier: MIT
#include "model/model_options.h"

#include <CLI/CLI.hpp>

namespace jabbery::model {

namespace {

constexpr const char* kUsage =
    "Usage: jabbery-model                      (run by Jabbery in a bot's folder)\n"
    "       jabbery-model --init FOLDER --name NAME --endpoint URL --model MODEL\n"
    "                     [--persona TEXT] [--api-key-env VAR]\n"
    "       jabbery-model --usage FOLDER\n"
    "A Jabbery bot that answers through a chat-model server speaking the\n"
    "OpenAI-compatible API (POST <endpoint>/chat/completions).\n";

// Refuses an empty value: a bot needs a name, a server and a model.
std::string NotEmpty(const std::string& value) {
    return value.empty() ? "an empty value is not allowed" : "";
}

// Declares every option of jabbery-model on `app`, read into `options`.
void DeclareModelOptions(CLI::App& app, ModelOptions& options) {
    DeclareCommonOptions(app, kUsage);
    app.footer(
        "Settings live in model.conf in the bot's folder; see jabbery-model(1).\n"
        "Tokens are counted as the server reports them (usage.total_tokens); a server\n"
        "that reports no usage counts as zero tokens, so budget_tokens cannot stop it.");
    InitRequest& request = options.init_request;
    CLI::Option* init =
        app.add_option("--init", request.folder,
                       "make a new bot folder (vorn.nfo and model.conf); a bare name\nmakes it in "
                       "your bots folder ($XDG_DATA_HOME/jabbery/bots)")
            ->type_name("FOLDER");
    // The folder's settings, each only with --init; the first three it needs.
    const auto setting = [&](const char* name, const char* shown, std::string& value,
                             const char* help) {
        return app.add_option(name, value, help)->type_name(shown)->needs(init);
    };
    init->needs(setting("--name", "NAME", request.name, "the bot's name in the conversation")
                    ->check(NotEmpty));
    init->needs(setting("--endpoint", "URL", request.endpoint,
                        "the server's base URL, e.g. http://127.0.0.1:11434/v1")
                    ->check(NotEmpty));
    init->needs(setting("--model", "MODEL", request.model, "the model name the server knows")
                    ->check(NotEmpty));
    setting("--persona", "TEXT", request.persona, "the character, as a system prompt");
    setting("--api-key-env", "VAR", request.api_key_env,
            "the environment variable that holds the API key");
    app.add_option("--usage", options.usage_folder,
                   "print the tokens used and calls made by the bot in FOLDER")
        ->type_name("FOLDER")
        ->excludes(init);
}

}  // namespace

std::string ModelUsage() {
    ModelOptions unused;
    CLI::App app;
    DeclareModelOptions(app, unused);
    return app.help();
}

OptionsEnd ParseModelOptions(const std::vector<std::string>& arguments, ModelOptions& options,
                             std::string& error) {
    CLI::App app;
    DeclareModelOptions(app, options);
    const OptionsEnd end = ParseOptions(app, arguments, error);
    options.init = app.count("--init") > 0;
    options.usage = app.count("--usage") > 0;
    return end;
}

}  // namespace jabbery::model
