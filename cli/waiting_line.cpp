// SPDX-License-Identifier: MIT
#include "cli/waiting_line.h"

#include "cli/input_line.h"
#include "platform/terminal.h"
#include "platform/terminal_filter.h"

namespace jabbery {

namespace {

// Back to the start of the line, then erase to its end.

}  // namespace

std::string WaitingText(const std::string& shown_name, std::chrono::milliseconds waited) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(waited).count();
    return "waiting for " + shown_name + " (" + std::to_string(seconds) + " s)\xE2\x80\xA6";
}

void WaitingLine::Show(const std::string& name, std::chrono::milliseconds waited) {
    const std::string text = WaitingText(ForTerminal(name), waited);
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
