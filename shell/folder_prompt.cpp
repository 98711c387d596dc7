#include "shell/folder_prompt.h"

#include <wx/dirdlg.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include <filesystem>

#include "shell/wx_text.h"

namespace jabbery {

std::string FolderPromptTitle(int number, int count) {
    return "Select the folder in which bot " + std::to_string(number) + " of " +
           std::to_string(count) + " is installed:";
}

std::string FirstExistingFolder(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates) {
        std::error_code error;
        if (!candidate.empty() && std::filesystem::is_directory(candidate, error)) {
            return std::filesystem::path(candidate).lexically_normal().string();
        }
    }
    return std::string();
}

std::string BundledBotsFolder() {
    const std::string program_folder =
        PathFromWx(wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath());
    return FirstExistingFolder({
        program_folder + "/bots",                   // beside an unpacked program
        program_folder + "/../bots",                // the build tree
        program_folder + "/../share/jabbery/bots",  // installed under any prefix
        std::string(JABBERY_DATA_DIR) + "/bots",    // installed where it was built for
    });
}

std::string BrowseForBotFolder(wxWindow* parent, int number, int count,
                               const std::string& start_folder) {
    wxDirDialog dialog(parent, FolderPromptTitle(number, count), PathToWx(start_folder),
                       wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) return std::string();
    return PathFromWx(dialog.GetPath());
}

}  // namespace jabbery
