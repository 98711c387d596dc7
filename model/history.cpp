// SPDX-License-Identifier: MIT
#include "model/history.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/bot_files.h"
#include "platform/whole_file.h"

namespace jabbery::model {
namespace {

// Far more than 200 exchanges of two lines under 2000 bytes each can fill,
// even with every character escaped.
constexpr std::size_t kMaxHistoryBytes = 16 * 1024 * 1024;

std::string ToLine(const Exchange& exchange) {
    // Invalid UTF-8 from a bot's input is replaced rather than refused, so an
    // exchange is never lost to an exception.
    nlohmann::json line = {{"heard", exchange.heard}, {"said", exchange.said}};
    if (!exchange.conversation.empty()) line["conversation"] = exchange.conversation;
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

// Parses one line; false when it is not an object with the strings "heard"
// and "said", and "conversation" when it has one.
bool FromLine(const std::string& line, Exchange& exchange) {
    const auto value = nlohmann::json::parse(line, nullptr, false);
    if (!value.is_object()) return false;
    const auto heard = value.find("heard");
    const auto said = value.find("said");
    const auto conversation = value.find("conversation");
    if (heard == value.end() || said == value.end() || !heard->is_string() || !said->is_string() ||
        (conversation != value.end() && !conversation->is_string())) {
        return false;
    }
    exchange = {heard->get<std::string>(), said->get<std::string>(),
                conversation == value.end() ? "" : conversation->get<std::string>()};
    return true;
}

}  // namespace

HistoryRead ReadHistory(const std::filesystem::path& path) {
    HistoryRead result;
    std::string text;
    std::string why;
    const BotFileRead read =
        ReadBotFile(path.parent_path(), path.filename(), kMaxHistoryBytes, text, why);
    if (read == BotFileRead::kMissing) return result;
    if (read == BotFileRead::kRead) {
        std::istringstream in(text);
        std::string line;
        int line_number = 0;
        while (std::getline(in, line)) {
            ++line_number;
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            Exchange exchange;
            if (!FromLine(line, exchange)) {
                why = "is damaged (line " + std::to_string(line_number) + ")";
                break;
            }
            result.exchanges.push_back(std::move(exchange));
        }
    }
    if (why.empty()) return result;
    // Set aside, not deleted: the user may want to look at or repair it.
    std::string set_aside_error;
    const std::filesystem::path aside = SetAside(path, set_aside_error);
    result.exchanges.clear();
    result.warning = path.filename().string() + (read == BotFileRead::kRead ? " " : ": ") + why +
                     "; " +
                     (aside.empty() ? "could not set it aside (" + set_aside_error + ")"
                                    : "set aside as " + aside.filename().string()) +
                     ", going on without memory";
    return result;
}

bool AppendHistory(const std::filesystem::path& path, const std::vector<Exchange>& earlier,
                   const Exchange& exchange, std::string& error, std::size_t limit) {
    if (earlier.size() + 1 <= limit) {
        std::string why;
        if (AppendToBotFile(path, ToLine(exchange), why)) return true;
        error = "cannot add to " + path.filename().string() + ": " + why;
        return false;
    }
    std::string content;
    const std::size_t first = earlier.size() + 1 - limit;
    for (std::size_t i = first; i < earlier.size(); ++i) content += ToLine(earlier[i]);
    content += ToLine(exchange);
    return ReplaceWholeFile(path.string(), content, error, FileAccess::kOwnerOnly);
}

}  // namespace jabbery::model
