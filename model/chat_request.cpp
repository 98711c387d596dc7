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

// ordered_json keeps the keys in the order written, which is easier to read
// in a server's log than sorted keys.
using Json = nlohmann::ordered_json;

Json Message(const char* role, const std::string& content) {
    return {{"role", role}, {"content", content}};
}

std::string ParticipantsNote(const SharedContext& shared, const std::string& name) {
    std::string names;
    for (std::size_t i = 0; i < shared.participants.size(); ++i) {
        if (i > 0) names += i + 1 == shared.participants.size() ? " and " : ", ";
        names += shared.participants[i];
    }
    return "This is a group conversation between " + names + ". You are " + name +
           ". The others' lines come as \"Name: text\"; your own earlier lines are yours.";
}

// Adds the last lines said that the limits allow; true when the newest of
// them is the line the bot answers.
bool AddSharedLines(const ModelConfig& config, const std::string& name, const SharedContext& shared,
                    const std::string& message, Json& messages) {
    std::size_t first = shared.lines.size();
    std::size_t characters = 0;
    while (first > 0 && shared.lines.size() - first < static_cast<std::size_t>(config.context)) {
        const std::size_t size = shared.lines[first - 1].text.size();
        if (characters + size > static_cast<std::size_t>(config.max_context_chars)) break;
        characters += size;
        --first;
    }
    for (std::size_t i = first; i < shared.lines.size(); ++i) {
        const SaidLine& line = shared.lines[i];
        messages.push_back(line.name == name ? Message("assistant", line.text)
                                             : Message("user", line.name + ": " + line.text));
    }
    if (first == shared.lines.size()) return false;
    const SaidLine& newest = shared.lines.back();
    return newest.name != name && newest.text == message;
}

}  // namespace

std::string BuildChatRequest(const ModelConfig& config, const std::string& name,
                             const std::vector<Exchange>& memory, const SharedContext* shared,
                             const std::string& message) {
    Json messages = Json::array();
    messages.push_back(
        Message("system", config.persona.empty() ? DefaultPersona(name) : config.persona));
    const std::size_t count = std::min(memory.size(), static_cast<std::size_t>(config.memory));
    for (auto it = memory.end() - static_cast<std::ptrdiff_t>(count); it != memory.end(); ++it) {
        messages.push_back(Message("user", it->heard));
        messages.push_back(Message("assistant", it->said));
    }
    bool answered_line_sent = false;
    std::string last = message;
    if (shared != nullptr) {
        messages.push_back(Message("system", ParticipantsNote(*shared, name)));
        answered_line_sent = AddSharedLines(config, name, *shared, message, messages);
        if (!shared->from.empty()) last = shared->from + ": " + message;
    }
    if (!answered_line_sent) messages.push_back(Message("user", last));
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
