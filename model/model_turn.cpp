// SPDX-License-Identifier: MIT
#include "model/model_turn.h"

#include <optional>

#include "engine/model_config.h"
#include "model/chat_answer.h"
#include "model/chat_request.h"
#include "model/conversation_log.h"
#include "model/history.h"
#include "model/http_client.h"
#include "model/usage.h"
#include "platform/bot_files.h"
#include "platform/whole_file.h"
#include "values/bot_protocol.h"

namespace jabbery::model {
namespace {

// Asks the endpoint and returns the cleaned answer, or false with `error`.
// Every call the server answers is added to `usage` in the folder, with the
// tokens it reports, before anything else is made of the answer: an answer
// that proves useless was paid for all the same.
bool AskModel(const std::filesystem::path& folder, const ModelConfig& config,
              const std::string& key, const std::string& request, const std::string& name,
              Usage& usage, TokenCount& tokens, std::string& answer, std::string& error) {
    const std::string url = config.endpoint + "/chat/completions";
    const HttpResponse response = PostJson(url, request, key, config.timeout);
    if (!response.error.empty()) {
        error = response.error;
        return false;
    }
    if (!RecordCall(folder, ReportedTokens(response.body), usage, error)) return false;
    tokens = ReportedTokenCount(response.body);
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

// Reads what the folder has spent; false with `error` when the budget in
// model.conf is used up, or the count cannot be trusted.
bool MaySpend(const std::filesystem::path& folder, const ModelConfig& config, Usage& usage,
              std::string& error) {
    if (!ReadUsage(folder, usage, error)) return false;
    if (config.budget_tokens > 0 && usage.tokens >= config.budget_tokens) {
        error = "the token budget of " + std::to_string(config.budget_tokens) +
                " is used up (budget_tokens in model.conf; jabbery-model --usage FOLDER shows "
                "what was spent)";
        return false;
    }
    return true;
}

// The exchanges sent as memory. Without a conversation's id, all of them.
// With one, those of earlier conversations only when model.conf says so, and
// those of this one unless its log, which holds them, is sent anyway.
std::vector<Exchange> Remembered(const std::vector<Exchange>& history,
                                 const std::string& conversation, const ModelConfig& config,
                                 bool log_sent) {
    if (conversation.empty()) return history;
    std::vector<Exchange> kept;
    for (const Exchange& exchange : history) {
        if (exchange.conversation == conversation ? !log_sent
                                                  : config.memory_across_conversations) {
            kept.push_back(exchange);
        }
    }
    return kept;
}

// Tells the host what the call cost (kTokensFileName), when the server said.
void ReportTokens(const std::filesystem::path& folder, const TokenCount& tokens,
                  std::vector<std::string>& warnings) {
    if (tokens == TokenCount{}) return;
    const std::string report = "{\"prompt\":" + std::to_string(tokens.m_prompt) +
                               ",\"completion\":" + std::to_string(tokens.m_completion) + "}\n";
    std::string error;
    if (!ReplaceWholeFile((folder / kTokensFileName).string(), report, error)) {
        warnings.push_back(error + "; the turn's tokens are not reported");
    }
}

TurnResult RunTurnWithKey(const std::filesystem::path& folder, const ModelConfig& config,
                          const std::string& key, const EnvironmentLookup& environment) {
    TurnResult result;
    Usage usage;
    if (!MaySpend(folder, config, usage, result.error)) return result;
    std::string text;
    std::string why;
    if (ReadBotFile(folder, kMessageFileName, kMaxMessageFileBytes, text, why) !=
        BotFileRead::kRead) {
        result.error =
            std::string("cannot read ") + kMessageFileName + " in the bot's folder: " + why;
        return result;
    }
    const BotMessage turn = ParseMessageFile(text);

    // The conversation so far, when the host keeps a log of it; without one
    // the bot goes on with its own memory alone.
    std::optional<SharedContext> shared;
    if (const std::string log = environment("JABBERY_LOG"); !log.empty()) {
        shared.emplace();
        if (!ReadSharedContext(log, environment("JABBERY_PARTICIPANTS"), turn.m_name, *shared,
                               why)) {
            result.warnings.push_back(why + "; answering without the conversation");
            shared.reset();
        } else {
            shared->from = environment("JABBERY_FROM");
        }
    }
    const std::string conversation = environment("JABBERY_CONVERSATION");

    const std::filesystem::path history_file = folder / kHistoryFile;
    HistoryRead history = ReadHistory(history_file);
    if (!history.warning.empty()) result.warnings.push_back(history.warning);

    const std::string request =
        BuildChatRequest(config, turn.m_name,
                         Remembered(history.exchanges, conversation, config, shared.has_value()),
                         shared ? &*shared : nullptr, turn.m_message);
    std::string answer;
    TokenCount tokens;
    if (!AskModel(folder, config, key, request, turn.m_name, usage, tokens, answer, result.error)) {
        return result;
    }
    if (!ReplaceWholeFile((folder / kMessageFileName).string(), AnswerFileText(answer),
                          result.error)) {
        return result;
    }
    result.ok = true;
    ReportTokens(folder, tokens, result.warnings);
    std::string history_error;
    if (!AppendHistory(history_file, history.exchanges, {turn.m_message, answer, conversation},
                       history_error)) {
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
    result = RunTurnWithKey(folder, config, key, environment);
    result.error = Redact(result.error, key);
    for (std::string& warning : result.warnings) warning = Redact(warning, key);
    return result;
}

}  // namespace jabbery::model
