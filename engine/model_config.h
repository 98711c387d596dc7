// SPDX-License-Identifier: MIT
// The settings of one chat-model bot, read from model.conf in its folder.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace jabbery::model {

// The settings file, named relative to the bot's folder.
inline constexpr const char* kConfigFile = "model.conf";

// What model.conf says, with the defaults filled in. The persona is the text
// itself (persona_file already read); empty means the built-in default.
struct ModelConfig {
    std::string endpoint;  // base URL without a trailing slash
    std::string model;
    std::string persona;
    std::string api_key_env;  // name of the variable holding the key; empty: no key
    double temperature = 0.8;
    int max_tokens = 120;
    int memory = 6;
    bool memory_across_conversations = false;  // earlier conversations' exchanges are sent too
    int context = 20;                          // the most turns of the conversation sent
    int max_context_chars = 8000;              // the most characters of those turns sent
    std::chrono::milliseconds timeout{15000};  // at least 1 ms: 0 would mean no limit
    long long budget_tokens = 0;               // the most tokens to spend; 0: no limit
};

// The most earlier exchanges a bot may send as context (the history file
// keeps no more than this).
inline constexpr int kMaxMemory = 200;

// The most turns of the conversation, and of their characters, a bot may send.
inline constexpr int kMaxContext = 200;
inline constexpr int kMaxContextChars = 1000000;

// True for a name an environment variable can have: letters, digits and _,
// not starting with a digit.
bool IsVariableName(std::string_view name);

// Parses the text of model.conf. `folder` is where persona_file is looked
// up. Returns false with a message in `error` that names the line and the
// key, never a value (a value may be something the user meant to keep secret).
bool ParseModelConfig(std::string_view text, const std::filesystem::path& folder,
                      ModelConfig& config, std::string& error);

// Reads and parses model.conf in `folder`.
bool LoadModelConfig(const std::filesystem::path& folder, ModelConfig& config, std::string& error);

}  // namespace jabbery::model
