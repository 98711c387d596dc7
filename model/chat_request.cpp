// SPDX-License-Identifier: MIT
#include "model/chat_request.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace jabbery::model {

std::string DefaultPersona(const std::string& name) {
    return "You are " + name +
           ", one of several characters in a conversation. Answer the last message in one or "
           "two sentences, in character, without putting your name in front.";
}

std::string BuildChatRequest(const ModelConfig& config, const std::string& name,
                             const std::vector<Exchange>& history, const std::string& message) {
    // ordered_json keeps the keys in the order written, which is easier to
    // read in a server's log than sorted keys.
    using Json = nlohmann::ordered_json;
    Json messages = Json::array();
    const std::string persona = config.persona.empty() ? DefaultPersona(name) : config.persona;
    messages.push_back({{"role", "system"}, {"content", persona}});
    const std::size_t count = std::min(history.size(), static_cast<std::size_t>(config.memory));
    for (auto it = history.end() - static_cast<std::ptrdiff_t>(count); it != history.end(); ++it) {
        messages.push_back({{"role", "user"}, {"content", it->heard}});
        messages.push_back({{"role", "assistant"}, {"content", it->said}});
    }
    messages.push_back({{"role", "user"}, {"content", message}});
    const Json request = {{"model", config.model},
                          {"messages", messages},
                          {"temperature", config.temperature},
                          {"max_tokens", config.max_tokens},
                          {"stream", false}};
    // A message that is not valid UTF-8 (an older bot's Windows-1252 text)
    // gets replacement characters instead of failing the turn.
    return request.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace jabbery::model
