// SPDX-License-Identifier: MIT
#include "stdio/stdio_bridge.h"

#include "engine/exchange.h"

namespace jabbery {

namespace {

// The blanks Jabbery skips before an answer: isspace in the "C" locale, LF aside.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

BotMessage ReadBotMessage(std::istream& file) {
    BotMessage message;
    for (std::string* line : {&message.m_name, &message.m_message}) {
        if (!std::getline(file, *line)) break;
        if (!line->empty() && line->back() == '\r') line->pop_back();
    }
    return message;
}

bool AnswerLine::Feed(std::string_view bytes) {
    for (const char c : bytes) {
        if (m_complete) break;
        if (c == '\n') {
            // A blank line left nothing in m_line; the search goes on.
            m_complete = !m_line.empty();
        } else if (!m_line.empty() || !IsBlank(c)) {
            // One byte beyond the longest answer tells whether the cut
            // falls inside a UTF-8 sequence.
            if (m_line.size() <= kMaxReplyLength) m_line.push_back(c);
        }
    }
    return m_complete;
}

bool AnswerLine::Finish() {
    m_complete = !m_line.empty();
    return m_complete;
}

std::string AnswerLine::ProtocolBytes() const {
    std::string answer = CutReply(m_line);
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    return answer + "\r\n";
}

}  // namespace jabbery
