// SPDX-License-Identifier: MIT
// One turn of a chat-model bot: chat.msg in, the model's answer out.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace jabbery::model {

// How the turn went. On failure chat.msg is untouched and `error` names the
// cause in one line; `warnings` are things the user should know either way
// (a damaged history that was set aside). No text here ever holds the key.
struct TurnResult {
    bool ok = false;
    std::string error;
    std::vector<std::string> warnings;
};

// Looks up an environment variable; empty when it is not set.
using EnvironmentLookup = std::function<std::string(const std::string& name)>;

// Runs the turn in the bot's `folder`: reads chat.msg and model.conf, asks
// the endpoint with the remembered exchanges and, when the host keeps one
// (JABBERY_LOG), the conversation so far, writes the cleaned answer back
// to chat.msg, reports the call's tokens in chat.tok and adds the exchange,
// tagged with its conversation (JABBERY_CONVERSATION), to the history. Each call the server
// answers is counted in model.usage; once budget_tokens are spent, or when
// that count cannot be read, the turn fails without calling the server.
TurnResult RunModelTurn(const std::filesystem::path& folder, const EnvironmentLookup& environment);

}  // namespace jabbery::model
