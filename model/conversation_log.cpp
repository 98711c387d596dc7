// SPDX-License-Identifier: MIT
#include "model/conversation_log.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace jabbery::model {
namespace {

// Far more than the turns a request can carry; a long conversation's log is
// read from this far before its end.
constexpr std::streamoff kMaxLogBytes = 32 << 20;

// Reads the end of the file at `path`: all of it, or its last kMaxLogBytes
// from the first whole line on.
bool ReadLogTail(const std::filesystem::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    const std::streamoff start = std::max<std::streamoff>(0, size - kMaxLogBytes);
    in.seekg(start);
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return false;
    text = content.str();
    if (start > 0) text.erase(0, std::min(text.size(), text.find('\n') + 1));
    return true;
}

void AddName(std::vector<std::string>& names, const std::string& name) {
    if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
        names.push_back(name);
    }
}

// The lines of a log's text: each record with a "turn", a "name" and a
// "text" that a human said or whose "outcome" is "answered". A header,
// failed turns and any other or unreadable record are left out.
std::vector<SaidLine> SaidLines(const std::string& log_text) {
    std::vector<SaidLine> lines;
    std::istringstream in(log_text);
    std::string line;
    while (std::getline(in, line)) {
        const auto record = nlohmann::json::parse(line, nullptr, false);
        if (!record.is_object() || !record.contains("turn")) continue;
        const auto name = record.find("name");
        const auto text = record.find("text");
        if (name == record.end() || text == record.end() || !name->is_string() ||
            !text->is_string()) {
            continue;
        }
        const auto human_mark = record.find("human");
        const bool human = human_mark != record.end() && *human_mark == true;
        const auto outcome = record.find("outcome");
        const bool answered = outcome != record.end() && *outcome == "answered";
        if (human || answered)
            lines.push_back({name->get<std::string>(), text->get<std::string>()});
    }
    return lines;
}

}  // namespace

bool ReadSharedContext(const std::filesystem::path& path, const std::string& participants,
                       const std::string& own_name, SharedContext& context, std::string& error) {
    std::string text;
    if (!ReadLogTail(path, text)) {
        error = "cannot read the conversation's log " + path.string() + " (JABBERY_LOG)";
        return false;
    }
    context.lines = SaidLines(text);
    std::istringstream names(participants);
    for (std::string name; std::getline(names, name, '\t');) AddName(context.participants, name);
    if (context.participants.empty()) {
        for (const SaidLine& said : context.lines) AddName(context.participants, said.name);
    }
    AddName(context.participants, own_name);
    return true;
}

}  // namespace jabbery::model
