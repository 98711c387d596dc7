// SPDX-License-Identifier: MIT
#include "model/history.h"

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "model/atomic_file.h"

namespace jabbery::model {
namespace {

std::string ToLine(const Exchange& exchange) {
    // Invalid UTF-8 from a bot's input is replaced rather than refused, so an
    // exchange is never lost to an exception.
    return nlohmann::json{{"heard", exchange.heard}, {"said", exchange.said}}.dump(
               -1, ' ', false, nlohmann::json::error_handler_t::replace) +
           "\n";
}

// Parses one line; false when it is not an object with two strings.
bool FromLine(const std::string& line, Exchange& exchange) {
    const auto value = nlohmann::json::parse(line, nullptr, false);
    if (!value.is_object()) return false;
    const auto heard = value.find("heard");
    const auto said = value.find("said");
    if (heard == value.end() || said == value.end() || !heard->is_string() || !said->is_string()) {
        return false;
    }
    exchange = {heard->get<std::string>(), said->get<std::string>()};
    return true;
}

}  // namespace

HistoryRead ReadHistory(const std::filesystem::path& path) {
    HistoryRead result;
    std::ifstream in(path, std::ios::binary);
    if (!in) return result;
    std::string line;
    int line_number = 0;
    while (std::getline(in, line)) {
        ++line_number;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        Exchange exchange;
        if (!FromLine(line, exchange)) {
            in.close();
            std::filesystem::path bad = path;
            bad += ".bad";
            std::error_code error;
            // Set aside, not deleted: the user may want to look at or repair it.
            std::filesystem::rename(path, bad, error);
            result.exchanges.clear();
            result.warning =
                path.filename().string() + " is damaged (line " + std::to_string(line_number) +
                "); " +
                (error ? "could not set it aside" : "set aside as " + bad.filename().string()) +
                ", going on without memory";
            return result;
        }
        result.exchanges.push_back(std::move(exchange));
    }
    return result;
}

bool AppendHistory(const std::filesystem::path& path, const std::vector<Exchange>& earlier,
                   const Exchange& exchange, std::string& error, std::size_t limit) {
    if (earlier.size() + 1 <= limit) {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << ToLine(exchange);
        out.close();
        if (out.fail()) error = "cannot add to " + path.filename().string();
        return !out.fail();
    }
    std::string content;
    const std::size_t first = earlier.size() + 1 - limit;
    for (std::size_t i = first; i < earlier.size(); ++i) content += ToLine(earlier[i]);
    content += ToLine(exchange);
    return ReplaceFile(path, content, error);
}

}  // namespace jabbery::model
