// SPDX-License-Identifier: MIT
#include "stdio/kept_answer.h"

#include <utility>

#include "values/bot_protocol.h"

namespace jabbery {

namespace {

constexpr const char* kBlanks = " \t\r\v\f";

std::string Trimmed(const std::string& line) {
    const std::size_t first = line.find_first_not_of(kBlanks);
    if (first == std::string::npos) return "";
    return line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
}

// The most one line may grow to before it is taken as it stands: a program
// that prints without a line end must not grow our memory without end.
constexpr std::size_t kLongestLine = 1u << 20;

// The longest text searched for a prompt. The regular expression engine
// recurses once per character for patterns such as ".*", so a line of some
// hundred kilobytes would overflow the stack; a prompt is never that long.
constexpr std::size_t kLongestPrompt = 4096;

bool IsPrompt(const std::string& text, const std::regex& pattern) {
    return text.size() <= kLongestPrompt && std::regex_search(text, pattern);
}

}  // namespace

void OutputLines::Feed(std::string_view bytes) {
    for (const char c : bytes) {
        if (c != '\n' && m_partial.size() < kLongestLine) {
            m_partial.push_back(c);
            continue;
        }
        if (!m_partial.empty() && m_partial.back() == '\r') m_partial.pop_back();
        m_lines.push_back(std::move(m_partial));
        m_partial.clear();
        if (c != '\n') m_partial.push_back(c);
    }
}

std::vector<std::string> OutputLines::TakeLines() {
    return std::exchange(m_lines, {});
}

bool SkipUntil::Feed(std::string_view bytes) {
    m_lines.Feed(bytes);
    for (const std::string& line : m_lines.TakeLines()) {
        if (IsPrompt(line, m_pattern)) return true;
    }
    return IsPrompt(m_lines.Partial(), m_pattern);
}

bool KeptAnswer::Feed(std::string_view bytes) {
    m_lines.Feed(bytes);
    for (const std::string& line : m_lines.TakeLines()) {
        if (TakeLine(line)) return true;
    }
    // A prompt that has not ended its line ends the answer all the same.
    if (m_options.m_prompt && !m_answer.empty() &&
        IsPrompt(m_lines.Partial(), *m_options.m_prompt)) {
        m_complete = true;
    }
    return m_complete;
}

bool KeptAnswer::TakeLine(const std::string& line) {
    if (m_complete) return true;
    if (m_options.m_prompt && IsPrompt(line, *m_options.m_prompt)) {
        m_complete = !m_answer.empty();
        return m_complete;
    }
    std::string text = Trimmed(line);
    if (text.empty()) return false;
    // Only what can make the answer is kept: its first line, or with --join
    // lines until they fill the longest answer, so a program printing
    // without end before its prompt costs no memory.
    if (m_answer.empty() || (m_options.m_join && m_kept <= kMaxReplyLength)) {
        m_kept += text.size() + 1;
        m_answer.push_back(std::move(text));
    }
    // Without a prompt the first line with text is all of the answer.
    m_complete = !m_options.m_prompt;
    return m_complete;
}

bool KeptAnswer::Finish() {
    if (!m_complete && !m_lines.Partial().empty()) {
        m_lines.Feed("\n");
        for (const std::string& line : m_lines.TakeLines()) TakeLine(line);
    }
    m_complete = !m_answer.empty();
    return m_complete;
}

std::string KeptAnswer::Text() const {
    if (m_answer.empty()) return "";
    if (!m_options.m_join) return m_answer.front();
    std::string joined;
    for (const std::string& line : m_answer) joined += (joined.empty() ? "" : " ") + line;
    return joined;
}

}  // namespace jabbery
