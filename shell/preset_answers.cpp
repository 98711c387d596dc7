// SPDX-License-Identifier: MIT
#include "shell/preset_answers.h"

#include <utility>

namespace jabbery {

PresetAnswers::PresetAnswers(UserDialogs& dialogs, std::vector<std::string> folders)
    : m_dialogs(dialogs), m_folders(std::move(folders)), m_used(m_folders.size(), false) {}

std::optional<int> PresetAnswers::AskBotCount() {
    if (m_folders.empty()) return m_dialogs.AskBotCount();
    // Any number of folders is passed on as it stands: the set-up refuses
    // counts it cannot link with its usual message.
    return static_cast<int>(m_folders.size());
}

std::string PresetAnswers::BrowseForBotFolder(int number, int count) {
    const auto index = static_cast<std::size_t>(number - 1);
    if (number >= 1 && index < m_folders.size() && !m_used[index]) {
        m_used[index] = true;
        return m_folders[index];
    }
    return m_dialogs.BrowseForBotFolder(number, count);
}

}  // namespace jabbery
