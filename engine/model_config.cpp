// SPDX-License-Identifier: MIT
#include "engine/model_config.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <map>

#include "platform/bot_files.h"

namespace jabbery::model {
namespace {

// A persona file longer than this is surely not meant as a system prompt.
constexpr std::size_t kMaxPersonaBytes = 64 * 1024;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// A settings file is a few lines; a persona written inline stays far below this.
constexpr std::size_t kMaxConfigBytes = 1024 * 1024;

// Reads model.conf, which may be a link to a shared one, but only when it
// is a regular file of at most kMaxConfigBytes: a pipe would block the
// read and a device never end it.
bool ReadConfigFile(const std::filesystem::path& path, std::string& text, std::string& error) {
    const std::string where = std::string(kConfigFile) + " in the bot's folder";
    std::error_code failure;
    const std::filesystem::file_status status = std::filesystem::status(path, failure);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        error = where + " is not a regular file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    text.assign(kMaxConfigBytes + 1, '\0');
    if (in) in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!in && !in.eof()) {
        error = "cannot read " + where + " (make one with jabbery-model --init)";
        return false;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxConfigBytes) {
        error = where + " is larger than 1 MiB";
        return false;
    }
    return true;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

// One setting as written: its value and the line it came from.
struct Entry {
    std::string value;
    int line = 0;
};

std::string At(const Entry& entry, std::string_view key) {
    return "model.conf line " + std::to_string(entry.line) + ": " + std::string(key);
}

bool ReadPersonaFile(const std::filesystem::path& folder, const Entry& entry, std::string& persona,
                     std::string& error) {
    // The persona is sent to the server: it must come from the bot's folder
    // and nowhere else.
    if (!StaysInsideFolder(entry.value)) {
        error = At(entry, "persona_file") +
                " must name a file in the bot's folder (a relative path without ..)";
        return false;
    }
    std::string why;
    if (ReadBotFile(folder, entry.value, kMaxPersonaBytes, persona, why) != BotFileRead::kRead) {
        persona.clear();
        error = At(entry, "persona_file") + ": cannot read " + entry.value +
                " in the bot's folder: " + why;
        return false;
    }
    persona = std::string(Trim(persona));
    return true;
}

// Turns the collected entries into settings, checking each value's range.
bool Apply(const std::map<std::string, Entry>& entries, const std::filesystem::path& folder,
           ModelConfig& config, std::string& error) {
    const auto find = [&](const char* key) -> const Entry* {
        const auto it = entries.find(key);
        return it == entries.end() ? nullptr : &it->second;
    };
    for (const char* key : {"endpoint", "model"}) {
        if (find(key) == nullptr || find(key)->value.empty()) {
            error = std::string("model.conf: ") + key + " is required";
            return false;
        }
    }
    config.endpoint = find("endpoint")->value;
    while (!config.endpoint.empty() && config.endpoint.back() == '/') config.endpoint.pop_back();
    config.model = find("model")->value;
    if (const Entry* key_env = find("api_key_env")) {
        // The value is not repeated: it may be the key itself, put there by
        // mistake, and this message reaches logs and the window.
        if (!IsVariableName(key_env->value)) {
            error = At(*key_env, "api_key_env") +
                    " must be the name of an environment variable (letters, digits and _), not "
                    "the key itself";
            return false;
        }
        config.api_key_env = key_env->value;
    }

    const Entry* persona = find("persona");
    const Entry* persona_file = find("persona_file");
    if (persona != nullptr && persona_file != nullptr) {
        error = At(*persona_file, "persona_file") + ": give persona or persona_file, not both";
        return false;
    }
    if (persona != nullptr) config.persona = persona->value;
    if (persona_file != nullptr && !ReadPersonaFile(folder, *persona_file, config.persona, error)) {
        return false;
    }

    if (const Entry* entry = find("temperature")) {
        // A NaN passes every comparison and would be sent as null.
        if (!ParseNumber(entry->value, config.temperature) || !std::isfinite(config.temperature) ||
            config.temperature < 0 || config.temperature > 2) {
            error = At(*entry, "temperature") + " must be a number from 0 to 2";
            return false;
        }
    }
    if (const Entry* entry = find("max_tokens")) {
        if (!ParseNumber(entry->value, config.max_tokens) || config.max_tokens < 1) {
            error = At(*entry, "max_tokens") + " must be a whole number of at least 1";
            return false;
        }
    }
    if (const Entry* entry = find("budget_tokens")) {
        if (!ParseNumber(entry->value, config.budget_tokens) || config.budget_tokens < 1) {
            error = At(*entry, "budget_tokens") + " must be a whole number of at least 1";
            return false;
        }
    }
    // A whole number from `low` to `high`, when the key is given.
    const auto whole = [&](const char* key, int low, int high, int& value) {
        const Entry* entry = find(key);
        if (entry == nullptr) return true;
        if (ParseNumber(entry->value, value) && value >= low && value <= high) return true;
        error = At(*entry, key) + " must be a whole number from " + std::to_string(low) + " to " +
                std::to_string(high);
        return false;
    };
    if (!whole("memory", 0, kMaxMemory, config.memory) ||
        !whole("context", 0, kMaxContext, config.context) ||
        !whole("max_context_chars", 0, kMaxContextChars, config.max_context_chars)) {
        return false;
    }
    if (const Entry* entry = find("memory_across_conversations")) {
        if (entry->value != "true" && entry->value != "false") {
            error = At(*entry, "memory_across_conversations") + " must be true or false";
            return false;
        }
        config.memory_across_conversations = entry->value == "true";
    }
    if (const Entry* entry = find("timeout")) {
        // Checked as the whole milliseconds it is used as: a value that rounds
        // to 0 would mean no limit at all. The range check also refuses NaN
        // and infinity before they are rounded.
        double seconds = 0;
        const bool usable = ParseNumber(entry->value, seconds) && std::abs(seconds) <= 3600;
        const long long milliseconds = usable ? std::llround(seconds * 1000) : 0;
        if (milliseconds < 1 || milliseconds > 3600 * 1000) {
            error = At(*entry, "timeout") +
                    " must be a number of seconds from 0.001 to 3600 (keep it below the bot "
                    "limit, 20 s)";
            return false;
        }
        config.timeout = std::chrono::milliseconds(milliseconds);
    }
    return true;
}

}  // namespace

bool IsVariableName(std::string_view name) {
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

bool ParseModelConfig(std::string_view text, const std::filesystem::path& folder,
                      ModelConfig& config, std::string& error) {
    static const char* const kKeys[] = {"endpoint",
                                        "model",
                                        "persona",
                                        "persona_file",
                                        "api_key_env",
                                        "temperature",
                                        "max_tokens",
                                        "memory",
                                        "memory_across_conversations",
                                        "context",
                                        "max_context_chars",
                                        "timeout",
                                        "budget_tokens"};
    std::map<std::string, Entry> entries;
    int line_number = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        auto end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        ++line_number;
        if (line.empty() || line.front() == '#') continue;
        const std::string where = "model.conf line " + std::to_string(line_number);
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            error = where + ": expected key = value";
            return false;
        }
        const std::string key(Trim(line.substr(0, equals)));
        if (std::find(std::begin(kKeys), std::end(kKeys), key) == std::end(kKeys)) {
            error = where + ": unknown key '" + key + "'";
            if (key.find("key") != std::string::npos) {
                error +=
                    " (a key is never read from model.conf: name the environment variable "
                    "that holds it with api_key_env)";
            }
            return false;
        }
        // A key given twice: the last one counts.
        entries[key] = Entry{std::string(Trim(line.substr(equals + 1))), line_number};
    }
    return Apply(entries, folder, config, error);
}

bool LoadModelConfig(const std::filesystem::path& folder, ModelConfig& config, std::string& error) {
    std::string text;
    if (!ReadConfigFile(folder / kConfigFile, text, error)) return false;
    return ParseModelConfig(text, folder, config, error);
}

}  // namespace jabbery::model
