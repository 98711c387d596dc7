// SPDX-License-Identifier: MIT
#include "shell/folder_prompt.h"

#include <wx/dirdlg.h>

#include "install/bundled_bots.h"
#include "shell/wx_text.h"

namespace jabbery {

std::string FolderPromptTitle(int number, int count) {
    return "Select the folder in which bot " + std::to_string(number) + " of " +
           std::to_string(count) + " is installed:";
}

std::string PromptStartFolder(std::string& error) {
    const BotPlaces places = CurrentBotPlaces();
    CopyBundledBots(places, error);
    return places.m_userBots;
}

std::string BrowseForBotFolder(wxWindow* parent, int number, int count,
                               const std::string& start_folder) {
    wxDirDialog dialog(parent, FolderPromptTitle(number, count), PathToWx(start_folder),
                       wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) return std::string();
    return PathFromWx(dialog.GetPath());
}

}  // namespace jabbery
