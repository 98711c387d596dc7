// SPDX-License-Identifier: MIT
// The body of one chat-completions request.
#pragma once

#include <string>
#include <vector>

#include "engine/model_config.h"
#include "model/history.h"
#include "model/shared_context.h"

namespace jabbery::model {

// The system prompt used when model.conf gives no persona.
std::string DefaultPersona(const std::string& name);

// Builds the JSON body: the persona as the system message, the last
// `config.memory` exchanges of `history` (oldest first) as user/assistant
// pairs, then `message` as the user's turn, with the model and sampling
// settings. `name` is the bot's name, used by the default persona.
// With `shared` (the conversation the bot is in), a second system message
// names the participants and the bot, and the conversation's lines follow
// the pairs: the bot's own as the assistant's, every other one as the
// user's, prefixed with its speaker's name ("Hask: ..."); `message` is
// added, prefixed with `from` when that is given, only when it is not the
// last of them (the opening line is in no log).
std::string BuildChatRequest(const ModelConfig& config, const std::string& name,
                             const std::vector<Exchange>& history, const std::string& message,
                             const SharedContext* shared = nullptr, const std::string& from = "");

}  // namespace jabbery::model
