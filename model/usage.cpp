// SPDX-License-Identifier: MIT
#include "model/usage.h"

#include <limits>
#include <nlohmann/json.hpp>

#include "platform/bot_files.h"
#include "platform/whole_file.h"

namespace jabbery::model {
namespace {

// The file holds one short line; anything longer is not ours.
constexpr std::size_t kMaxUsageBytes = 1024;

// Reads a count that is a whole number from 0 up; false for anything else.
bool ReadCount(const nlohmann::json& object, const char* key, long long& count) {
    const auto value = object.find(key);
    if (value == object.end() || !value->is_number_unsigned() ||
        value->get<std::uint64_t>() >
            static_cast<std::uint64_t>(std::numeric_limits<long long>::max())) {
        return false;
    }
    count = value->get<long long>();
    return true;
}

// `a` + `b` for counts from 0 up, held at the largest number rather than
// wrapping round to a small one.
long long AddCounts(long long a, long long b) {
    return a > std::numeric_limits<long long>::max() - b ? std::numeric_limits<long long>::max()
                                                         : a + b;
}

}  // namespace

bool ReadUsage(const std::filesystem::path& folder, Usage& usage, std::string& error) {
    usage = {};
    std::string text;
    std::string why;
    const BotFileRead read = ReadBotFile(folder, kUsageFile, kMaxUsageBytes, text, why);
    if (read == BotFileRead::kMissing) return true;
    if (read == BotFileRead::kRead) {
        const auto value = nlohmann::json::parse(text, nullptr, false);
        if (value.is_object() && ReadCount(value, "tokens", usage.tokens) &&
            ReadCount(value, "calls", usage.calls)) {
            return true;
        }
        why = "it is damaged";
    }
    usage = {};
    // Read as zero, a damaged count would start the spending over unnoticed.
    error = std::string("cannot read ") + kUsageFile + ", the tokens this bot has used: " + why +
            "; the server is not called until it is repaired to {\"calls\":N,\"tokens\":N} or "
            "removed (which starts the count at 0)";
    return false;
}

bool RecordCall(const std::filesystem::path& folder, long long tokens, Usage& usage,
                std::string& error) {
    usage.tokens = AddCounts(usage.tokens, tokens);
    usage.calls = AddCounts(usage.calls, 1);
    const std::string line =
        nlohmann::json{{"tokens", usage.tokens}, {"calls", usage.calls}}.dump() + "\n";
    if (ReplaceWholeFile((folder / kUsageFile).string(), line, error, FileAccess::kOwnerOnly)) {
        return true;
    }
    error = std::string("cannot record the tokens used in ") + kUsageFile + ": " + error;
    return false;
}

}  // namespace jabbery::model
