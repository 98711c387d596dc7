// SPDX-License-Identifier: MIT
#include "stdio/stdio_bridge.h"

namespace jabbery {

namespace {

// The blanks Jabbery skips before an answer: isspace in the "C" locale, LF aside.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

BotMessage ReadBotMessage(std::istream& file) {
    std::string text;
    std::string line;
    // getline drops the LF; put back, it ends the line for ParseMessageFile.
    for (int lines = 0; lines < 2 && std::getline(file, line); ++lines) text += line + "\n";
    return ParseMessageFile(text);
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
    return AnswerFileText(answer);
}

}  // namespace jabbery
