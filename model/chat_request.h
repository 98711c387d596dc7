// SPDX-License-Identifier: MIT
// The body of one chat-completions request.
#pragma once

#include <string>
#include <vector>

#include "engine/model_config.h"
#include "model/conversation_log.h"
#include "model/history.h"

namespace jabbery::model {

// The system prompt used when model.conf gives no persona.
std::string DefaultPersona(const std::string& name);

// Builds the JSON body, with the model and sampling settings: the persona
// as the system message; the last `config.memory` exchanges of `memory`
// (oldest first) as user/assistant pairs; with `shared`, a system message
// naming everyone and the bot itself, then the last `config.context` lines
// said (no more of them than fit in `config.max_context_chars` characters),
// the bot's own as assistant messages and everyone else's as user messages
// "Name: text"; last, `message` as a user message, unless it is the last of
// those lines already. `name` is the bot's name.
std::string BuildChatRequest(const ModelConfig& config, const std::string& name,
                             const std::vector<Exchange>& memory, const SharedContext* shared,
                             const std::string& message);

}  // namespace jabbery::model
