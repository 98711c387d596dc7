// SPDX-License-Identifier: MIT
#include "cli/human_lines.h"

namespace jabbery {

std::optional<std::string> HumanLines::Next() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_lines.empty()) return std::nullopt;
    std::string line = std::move(m_lines.front());
    m_lines.pop_front();
    return line;
}

void HumanLines::Add(std::string line) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_lines.push_back(std::move(line));
}

bool HumanLines::Ended() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_ended && m_lines.empty();
}

void HumanLines::End() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
}

}  // namespace jabbery
