// SPDX-License-Identifier: MIT
#include "model/shared_context.h"

#include <deque>
#include <fstream>
#include <nlohmann/json.hpp>

namespace jabbery::model {

namespace {

// A turn's line, or false for any other record and for a bot's turn that
// did not answer (its text is no line of the conversation).
bool ReadTurn(const std::string& record, SharedLine& line) {
    const auto value = nlohmann::json::parse(record, nullptr, false);
    if (!value.is_object() || !value.contains("turn")) return false;
    const auto name = value.find("name");
    const auto text = value.find("text");
    if (name == value.end() || text == value.end() || !name->is_string() || !text->is_string()) {
        return false;
    }
    const auto outcome = value.find("outcome");
    if (outcome != value.end() && *outcome != "answered") return false;
    line = {name->get<std::string>(), text->get<std::string>()};
    return true;
}

}  // namespace

bool ReadSharedLines(const std::filesystem::path& log, int count, int max_chars,
                     std::vector<SharedLine>& lines, std::string& error) {
    std::ifstream file(log, std::ios::binary);
    if (!file) {
        error = "cannot read the conversation's log " + log.string();
        return false;
    }
    std::deque<SharedLine> latest;
    for (std::string record; std::getline(file, record);) {
        SharedLine line;
        if (count <= 0 || !ReadTurn(record, line)) continue;
        latest.push_back(std::move(line));
        if (latest.size() > static_cast<std::size_t>(count)) latest.pop_front();
    }
    std::size_t chars = 0;
    for (const SharedLine& line : latest) chars += line.text.size();
    while (latest.size() > 1 && chars > static_cast<std::size_t>(max_chars)) {
        chars -= latest.front().text.size();
        latest.pop_front();
    }
    lines.assign(latest.begin(), latest.end());
    return true;
}

std::vector<std::string> SplitParticipants(const std::string& names) {
    std::vector<std::string> split;
    for (std::size_t at = 0; at <= names.size() && !names.empty();) {
        const std::size_t end = std::min(names.find('\t', at), names.size());
        split.push_back(names.substr(at, end - at));
        at = end + 1;
    }
    return split;
}

}  // namespace jabbery::model
