// SPDX-License-Identifier: MIT
#include "model/model_turn.h"

#include "engine/model_config.h"
#include "model/chat_answer.h"
#include "model/chat_request.h"
#include "model/history.h"
#include "model/http_client.h"
#include "platform/bot_files.h"
#include "platform/whole_file.h"
#include "values/bot_protocol.h"

namespace jabbery::model {
namespace {

// Asks the endpoint and returns the cleaned answer, or false with `error`.
bool AskModel(const ModelConfig& config, const std::string& key, const std::string& request,
              const std::string& name, std::string& answer, std::string& error) {
    const std::string url = config.endpoint + "/chat/completions";
    const HttpResponse response = PostJson(url, request, key, config.timeout);
    if (!response.error.empty()) {
        error = response.error;
        return false;
    }
    if (response.status < 200 || response.status > 299) {
        error = "HTTP " + std::to_string(response.status) + " from " + url;
        const std::string message = ServerErrorMessage(response.body, key);
        if (!message.empty()) error += ": " + message;
        return false;
    }
    std::string content;
    if (!ExtractAnswer(response.body, content, error)) {
        error += " (HTTP " + std::to_string(response.status) + " from " + url + ")";
        return false;
    }
    // A server that echoes the key must not get it into a file.
    answer = CleanModelAnswer(content, name, key);
    if (answer.empty()) {
        error = "the model gave an empty answer";
        return false;
    }
    return true;
}

TurnResult RunTurnWithKey(const std::filesystem::path& folder, const ModelConfig& config,
                          const std::string& key) {
    TurnResult result;
    std::string text;
    std::string why;
    if (ReadBotFile(folder, kMessageFileName, kMaxMessageFileBytes, text, why) !=
        BotFileRead::kRead) {
        result.error =
            std::string("cannot read ") + kMessageFileName + " in the bot's folder: " + why;
        return result;
    }
    const BotMessage turn = ParseMessageFile(text);

    const std::filesystem::path history_file = folder / kHistoryFile;
    HistoryRead history = ReadHistory(history_file);
    if (!history.warning.empty()) result.warnings.push_back(history.warning);

    const std::string request =
        BuildChatRequest(config, turn.m_name, history.exchanges, turn.m_message);
    std::string answer;
    if (!AskModel(config, key, request, turn.m_name, answer, result.error)) return result;
    if (!ReplaceWholeFile((folder / kMessageFileName).string(), AnswerFileText(answer),
                          result.error)) {
        return result;
    }
    result.ok = true;
    std::string history_error;
    if (!AppendHistory(history_file, history.exchanges, {turn.m_message, answer}, history_error)) {
        result.warnings.push_back(history_error + "; this exchange is not remembered");
    }
    return result;
}

}  // namespace

TurnResult RunModelTurn(const std::filesystem::path& folder, const EnvironmentLookup& environment) {
    TurnResult result;
    ModelConfig config;
    if (!LoadModelConfig(folder, config, result.error)) return result;
    std::string key;
    if (!config.api_key_env.empty()) {
        key = environment(config.api_key_env);
        if (key.empty()) {
            result.error = "the environment variable " + config.api_key_env +
                           " (api_key_env in model.conf) is not set or empty";
            return result;
        }
    }
    result = RunTurnWithKey(folder, config, key);
    result.error = Redact(result.error, key);
    for (std::string& warning : result.warnings) warning = Redact(warning, key);
    return result;
}

}  // namespace jabbery::model
