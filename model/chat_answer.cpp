// SPDX-License-Identifier: MIT
#include "model/chat_answer.h"

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "bots/vorn_bot.h"
#include "values/bot_protocol.h"

namespace jabbery::model {
namespace {

// A server's error page is shown at most this long.
constexpr std::size_t kMaxErrorText = 300;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(text[i]) != Lower(prefix[i])) return false;
    }
    return true;
}

std::string_view TrimStart(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// One clean line of at most `max_bytes` without `secret`. It is replaced in
// the text as given and again once cleaned (dropping braces could join a
// split one), and the cut comes last: a secret across it would otherwise
// leave all but its end.
std::string CleanWithoutSecret(std::string_view text, std::size_t max_bytes,
                               std::string_view secret) {
    const std::string whole =
        vorn::CleanAnswer(Redact(std::string(text), secret), std::string::npos);
    return vorn::CleanAnswer(Redact(whole, secret), max_bytes);
}

// The count at `key` of `usage`, or 0 when there is no whole number of at
// most 10^15 there: no call is that large, and a bound keeps sums exact.
long long CountAt(const nlohmann::json& usage, const char* key) {
    constexpr std::uint64_t kMostTokens = 1'000'000'000'000'000;
    const auto count = usage.find(key);
    if (count == usage.end() || !count->is_number_unsigned()) return 0;
    return static_cast<long long>(std::min(count->get<std::uint64_t>(), kMostTokens));
}

// The body's "usage" object; null when it has none.
nlohmann::json UsageOf(std::string_view body) {
    const auto response = nlohmann::json::parse(body, nullptr, false);
    if (!response.is_object() || !response.contains("usage") || !response.at("usage").is_object()) {
        return nullptr;
    }
    return response.at("usage");
}

}  // namespace

long long ReportedTokens(std::string_view body) {
    const nlohmann::json usage = UsageOf(body);
    if (usage.is_null()) return 0;
    if (const long long total = CountAt(usage, "total_tokens"); total > 0) return total;
    return CountAt(usage, "prompt_tokens") + CountAt(usage, "completion_tokens");
}

TokenCount ReportedTokenCount(std::string_view body) {
    const nlohmann::json usage = UsageOf(body);
    if (usage.is_null()) return {};
    return {CountAt(usage, "prompt_tokens"), CountAt(usage, "completion_tokens")};
}

bool ExtractAnswer(std::string_view body, std::string& content, std::string& error) {
    const auto response = nlohmann::json::parse(body, nullptr, false);
    if (response.is_discarded()) {
        error = "the server's answer is not JSON";
        return false;
    }
    const auto pointer = nlohmann::json::json_pointer("/choices/0/message/content");
    if (!response.is_object() || !response.contains(pointer) || !response.at(pointer).is_string()) {
        error = "the server's answer has no text at choices[0].message.content";
        return false;
    }
    content = response.at(pointer).get<std::string>();
    return true;
}

std::string ServerErrorMessage(std::string_view body, std::string_view secret) {
    const auto response = nlohmann::json::parse(body, nullptr, false);
    std::string message;
    if (response.is_object()) {
        const auto error = response.find("error");
        if (error != response.end() && error->is_string()) {
            message = error->get<std::string>();
        } else if (error != response.end() && error->is_object() && error->contains("message") &&
                   error->at("message").is_string()) {
            message = error->at("message").get<std::string>();
        } else if (response.contains("message") && response.at("message").is_string()) {
            message = response.at("message").get<std::string>();
        }
    } else if (response.is_discarded()) {
        message = std::string(body);
    }
    return CleanWithoutSecret(message, kMaxErrorText, secret);
}

std::string CleanModelAnswer(std::string_view content, std::string_view name,
                             std::string_view secret) {
    std::string_view text = TrimStart(content);
    if (!name.empty() && StartsWithIgnoringCase(text, name) && text.size() > name.size() &&
        (text[name.size()] == ':' || text[name.size()] == '>')) {
        text.remove_prefix(name.size() + 1);
    }
    return CleanWithoutSecret(text, kMaxReplyLength, secret);
}

std::string Redact(std::string text, std::string_view secret) {
    if (secret.empty()) return text;
    constexpr std::string_view kHidden = "[key removed]";
    for (auto pos = text.find(secret); pos != std::string::npos;
         pos = text.find(secret, pos + kHidden.size())) {
        text.replace(pos, secret.size(), kHidden);
    }
    return text;
}

}  // namespace jabbery::model
