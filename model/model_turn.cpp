// SPDX-License-Identifier: MIT
#include "model/model_turn.h"

#include <optional>

#include "engine/model_config.h"
#include "model/chat_answer.h"
#include "model/chat_request.h"
#include "model/history.h"
#include "model/http_client.h"
#include "model/shared_context.h"
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
              Usage& usage, std::string& answer, std::string& error) {
    const std::string url = config.endpoint + "/chat/completions";
    const HttpResponse response = PostJson(url, request, key, config.timeout);
    if (!response.error.empty()) {
        error = response.error;
        return false;
    }
    if (!RecordCall(folder, ReportedTokens(response.body), usage, error)) return false;
    // What the call cost, for the turn's record in Jabbery's log; no matter when it is lost.
    if (const TokenUse tokens = ReportedTokenUse(response.body);
        tokens.prompt > 0 || tokens.completion > 0) {
        const std::string report = "{\"prompt\":" + std::to_string(tokens.prompt) +
                                   ",\"completion\":" + std::to_string(tokens.completion) + "}\n";
        std::string ignored;
        ReplaceWholeFile((folder / kTokensFileName).string(), report, ignored);
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

    const std::filesystem::path history_file = folder / kHistoryFile;
    HistoryRead history = ReadHistory(history_file);
    if (!history.warning.empty()) result.warnings.push_back(history.warning);
    // What is remembered: this conversation's exchanges, or, across
    // conversations or when the host names none, all of them.
    const std::string conversation = environment("JABBERY_CONVERSATION");
    const bool per_conversation = !conversation.empty() && !config.memory_across_conversations;
    std::vector<Exchange> remembered;
    bool forgotten = false;
    for (Exchange& exchange : history.exchanges) {
        const bool kept = !per_conversation || exchange.conversation == conversation;
        forgotten = forgotten || !kept;
        if (kept) remembered.push_back(std::move(exchange));
    }
    std::vector<Exchange> sent = remembered;
    std::optional<SharedContext> shared;
    if (const std::string log = environment("JABBERY_LOG"); !log.empty()) {
        SharedContext context{SplitParticipants(environment("JABBERY_PARTICIPANTS")), {}};
        std::string why;
        if (ReadSharedLines(log, config.context, config.max_context_chars, context.lines, why)) {
            shared = std::move(context);
            // This conversation's own exchanges are in the log already.
            std::erase_if(sent, [&conversation](const Exchange& exchange) {
                return exchange.conversation == conversation;
            });
        } else {
            result.warnings.push_back(why + "; answering without the conversation so far");
        }
    }
    const std::string request =
        BuildChatRequest(config, turn.m_name, sent, turn.m_message, shared ? &*shared : nullptr,
                         environment("JABBERY_FROM"));
    std::string answer;
    if (!AskModel(folder, config, key, request, turn.m_name, usage, answer, result.error)) {
        return result;
    }
    if (!ReplaceWholeFile((folder / kMessageFileName).string(), AnswerFileText(answer),
                          result.error)) {
        return result;
    }
    result.ok = true;
    std::string history_error;
    // The memory of other conversations goes once a new one has begun.
    if (!AppendHistory(history_file, remembered, {turn.m_message, answer, conversation},
                       history_error, kMaxHistoryEntries, forgotten)) {
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
