// SPDX-License-Identifier: MIT
#include "model/conversation_log.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "engine/conversation_log_reader.h"

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

// The lines of a log's text that a human said or a bot answered, in
// order. A header, failed turns and any line the log reader skips are left out.
std::vector<SaidLine> SaidLines(const std::string& log_text) {
    std::istringstream in(log_text);
    std::vector<std::string> skipped;  // what is not a record is simply not context
    const RecordedConversation log = ReadConversationLog(in, skipped);
    std::vector<SaidLine> lines;
    for (const Turn& turn : log.m_turns) {
        const Participant* speaker = log.Find(turn.m_speaker);
        // A human's turn reads back as answered.
        if (speaker != nullptr && turn.m_outcome.Answered())
            lines.push_back({speaker->m_name.Str(), turn.m_text.Str()});
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
