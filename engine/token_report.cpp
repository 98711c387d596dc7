// SPDX-License-Identifier: MIT
#include "engine/token_report.h"

#include <nlohmann/json.hpp>
#include <string>

#include "platform/plain_file.h"
#include "platform/text_file.h"

namespace jabbery {
namespace {

// No call is that large; the bound keeps every sum of counts exact.
constexpr std::uint64_t kMostTokens = 1'000'000'000'000'000;

bool ReadCount(const nlohmann::json& report, const char* key, long long& count) {
    const auto value = report.find(key);
    if (value == report.end() || !value->is_number_unsigned() ||
        value->get<std::uint64_t>() > kMostTokens) {
        return false;
    }
    count = static_cast<long long>(value->get<std::uint64_t>());
    return true;
}

}  // namespace

std::optional<TokenCount> ParseTokenReport(std::string_view text) {
    const auto report = nlohmann::json::parse(text, nullptr, false);
    TokenCount count;
    if (!report.is_object() || !ReadCount(report, "prompt", count.m_prompt) ||
        !ReadCount(report, "completion", count.m_completion)) {
        return std::nullopt;
    }
    return count;
}

void ClearTokenReport(int folder_fd) {
    DeleteFileQuietly(folder_fd, kTokensFileName);
}

std::optional<TokenCount> TakeTokenReport(int folder_fd) {
    // Opened without following links and only as a plain file with one
    // link, so the bot cannot make the host read anything but its own file;
    // read one byte past the limit to tell a file that is too long.
    PlainFileReader reader;
    std::string error;
    std::optional<TokenCount> count;
    if (reader.Open(folder_fd, kTokensFileName, error)) {
        std::string text(kMaxTokensFileBytes + 1, '\0');
        reader.Stream().read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(reader.Stream().gcount()));
        if (text.size() <= kMaxTokensFileBytes) count = ParseTokenReport(text);
    }
    ClearTokenReport(folder_fd);
    return count;
}

}  // namespace jabbery
