// SPDX-License-Identifier: MIT
#include "cli/terminal_host.h"

#include <utility>

#include "platform/terminal.h"

namespace jabbery {

TerminalHost::TerminalHost(std::vector<std::string> folders, std::optional<std::string> save_path,
                           StopAwareOutput& errors)
    : m_folders(std::move(folders)), m_savePath(std::move(save_path)), m_errors(errors) {}

std::string TerminalHost::BrowseForBotFolder(int number, int /*count*/) {
    // The terminal cannot ask again: a bot asked for a second time (its
    // folder was refused) ends set-up like a cancelled prompt.
    if (number <= m_lastAsked || number < 1 || number > static_cast<int>(m_folders.size())) {
        return {};
    }
    m_lastAsked = number;
    return m_folders[static_cast<std::size_t>(number - 1)];
}

void TerminalHost::ShowError(const std::string& text) {
    m_hadError = true;
    m_errors.Write("jabbery-cli: " + text + "\n");
}

void TerminalHost::ShowSaveError(const std::string& error) {
    // The terminal cannot offer another file: say what was lost and how to avoid it.
    ShowError(error + "; the plain transcript was not saved (run again with another --save file)");
}

bool TerminalHost::AskYesNo(const std::string& /*question*/) {
    return m_savePath.has_value();
}

std::optional<std::string> TerminalHost::AskSavePath() {
    // The path is given once; a second question means the save failed, and
    // the user is no longer there to pick another file.
    return std::exchange(m_savePath, std::nullopt);
}

}  // namespace jabbery
