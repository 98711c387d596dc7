// SPDX-License-Identifier: MIT
// The body of one chat-completions request.
#pragma once

#include <string>
#include <vector>

#include "engine/model_config.h"
#include "model/history.h"

namespace jabbery::model {

// The system prompt used when model.conf gives no persona.
std::string DefaultPersona(const std::string& name);

// Builds the JSON body: the persona as the system message, the last
// `config.memory` exchanges of `history` (oldest first) as user/assistant
// pairs, then `message` as the user's turn, with the model and sampling
// settings. `name` is the bot's name, used only by the default persona.
std::string BuildChatRequest(const ModelConfig& config, const std::string& name,
                             const std::vector<Exchange>& history, const std::string& message);

}  // namespace jabbery::model
