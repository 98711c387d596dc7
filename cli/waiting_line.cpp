// SPDX-License-Identifier: MIT
#include "cli/waiting_line.h"

#include <string_view>

#include "cli/input_line.h"
#include "platform/terminal.h"
#include "platform/terminal_filter.h"

namespace jabbery {

namespace {

constexpr const char* kEllipsis = "\xE2\x80\xA6";

// The longest start of `text` (whole UTF-8 characters) that takes at most
// `columns` columns; `used` gets the columns it takes.
std::string_view Fitting(std::string_view text, int columns, int& used) {
    used = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if ((byte & 0xC0) == 0x80) continue;  // inside a character
        const int width = byte < 0x80 ? 1 : 2;
        if (used + width > columns) return text.substr(0, at);
        used += width;
    }
    return text;
}

int ColumnsOf(std::string_view text) {
    int used = 0;
    Fitting(text, 1 << 30, used);
    return used;
}

}  // namespace

std::string WaitingText(const std::string& shown_name, std::chrono::milliseconds waited,
                        int columns) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(waited).count();
    const std::string before = "waiting for ";
    const std::string after = " (" + std::to_string(seconds) + " s)" + kEllipsis;
    const std::string text = before + shown_name + after;
    // The last column stays free: a line that fills it wraps on some terminals.
    const int room = columns - 1;
    if (columns <= 0 || ColumnsOf(text) <= room) return text;
    const int name_room = room - ColumnsOf(before) - ColumnsOf(after) - ColumnsOf(kEllipsis);
    int used = 0;
    if (name_room > 0)
        return before + std::string(Fitting(shown_name, name_room, used)) + kEllipsis + after;
    return std::string(Fitting(text, room, used));
}

void WaitingLine::Show(const std::string& name, std::chrono::milliseconds waited) {
    const std::string text = WaitingText(ForTerminal(name), waited, TerminalColumns(stderr));
    if (m_inputLine == nullptr || !m_inputLine->SetStatus(text)) {
        m_terminal.Write(kClearLine + text);
    }
    m_shown = true;
}

void WaitingLine::Clear() {
    if (!m_shown) return;
    if (m_inputLine == nullptr || !m_inputLine->SetStatus("")) m_terminal.Write(kClearLine);
    m_shown = false;
}

}  // namespace jabbery
