// SPDX-License-Identifier: MIT
#include "values/bot_protocol.h"

namespace jabbery {

namespace {

// A UTF-8 character is at most four bytes: a cut moves back at most three.
constexpr std::size_t kLongestUtf8Tail = 3;

// The line of `text` that starts at `pos`, without its line end; `pos` moves past it.
std::string NextLine(std::string_view text, std::size_t& pos) {
    if (pos >= text.size()) return {};
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(pos, end - pos));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pos = end + 1;
    return line;
}

}  // namespace

std::string MessageFileText(std::string_view name, std::string_view message) {
    std::string text(name);
    text += kMessageLineEnd;
    text += message;
    text += kMessageLineEnd;
    return text;
}

BotMessage ParseMessageFile(std::string_view text) {
    BotMessage message;
    std::size_t pos = 0;
    message.m_name = NextLine(text, pos);
    message.m_message = NextLine(text, pos);
    return message;
}

std::string AnswerFileText(std::string_view answer) {
    return std::string(answer) + kMessageLineEnd;
}

std::string CutReply(std::string reply, std::size_t max_length) {
    if (reply.size() <= max_length) return reply;
    std::size_t cut = max_length;
    // A continuation byte (10xxxxxx) just after the cut means it splits a
    // character; a UTF-8 character has at most three of them.
    const auto continues = [&](std::size_t at) {
        return (static_cast<unsigned char>(reply[at]) & 0xC0) == 0x80;
    };
    while (cut + kLongestUtf8Tail > max_length && cut > 0 && continues(cut)) --cut;
    reply.resize(cut);
    return reply;
}

}  // namespace jabbery
