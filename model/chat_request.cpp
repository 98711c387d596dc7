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

namespace {

// "A, B and C".
std::string Listed(const std::vector<std::string>& names) {
    std::string listed;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) listed += i + 1 == names.size() ? " and " : ", ";
        listed += names[i];
    }
    return listed;
}

}  // namespace

std::string BuildChatRequest(const ModelConfig& config, const std::string& name,
                             const std::vector<Exchange>& history, const std::string& message,
                             const SharedContext* shared, const std::string& from) {
    // ordered_json keeps the keys in the order written, which is easier to
    // read in a server's log than sorted keys.
    using Json = nlohmann::ordered_json;
    Json messages = Json::array();
    const std::string persona = config.persona.empty() ? DefaultPersona(name) : config.persona;
    messages.push_back({{"role", "system"}, {"content", persona}});
    if (shared != nullptr) {
        messages.push_back(
            {{"role", "system"},
             {"content", "This is a group conversation between " + Listed(shared->participants) +
                             ". You are " + name +
                             ". Each message of the others begins with its speaker's name."}});
    }
    const std::size_t count = std::min(history.size(), static_cast<std::size_t>(config.memory));
    for (auto it = history.end() - static_cast<std::ptrdiff_t>(count); it != history.end(); ++it) {
        messages.push_back({{"role", "user"}, {"content", it->heard}});
        messages.push_back({{"role", "assistant"}, {"content", it->said}});
    }
    if (shared != nullptr) {
        for (const SharedLine& line : shared->lines) {
            const bool own = line.speaker == name;
            messages.push_back({{"role", own ? "assistant" : "user"},
                                {"content", own ? line.text : line.speaker + ": " + line.text}});
        }
    }
    const std::string said = shared != nullptr && !from.empty() ? from + ": " + message : message;
    if (shared == nullptr || shared->lines.empty() || shared->lines.back().text != message) {
        messages.push_back({{"role", "user"}, {"content", said}});
    }
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
