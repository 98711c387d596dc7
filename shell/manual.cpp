// SPDX-License-Identifier: MIT
#include "shell/manual.h"

#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <filesystem>

#include "shell/manual_window.h"
#include "shell/message_box_caption.h"
#include "shell/wx_text.h"

namespace jabbery {

std::vector<std::string> ManualCandidates(const std::string& working_folder,
                                          const std::string& program_folder) {
    return {
        working_folder + "/" + kManualFileName,
        program_folder + "/" + kManualFileName,
        program_folder + "/../share/jabbery/" + kManualFileName,
    };
}

std::string FindManual(const std::vector<std::string>& candidates) {
    for (const std::string& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) {
            return std::filesystem::absolute(candidate, error).lexically_normal().string();
        }
    }
    return std::string();
}

void OpenManual(wxWindow* parent) {
    const std::string program_folder =
        PathFromWx(wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath());
    const std::string manual = FindManual(ManualCandidates(PathFromWx(wxGetCwd()), program_folder));
    if (manual.empty()) {
        wxMessageBox(std::string("The manual, ") + kManualFileName +
                         ", is neither in the working folder nor installed with the program.",
                     MessageBoxCaption(), wxOK | wxICON_ERROR, parent);
        return;
    }
    // Not modal, and owned by `parent`: it closes by itself or with it.
    auto* window = new CManualWindow(parent, manual);
    window->CentreOnScreen();
    window->Show();
}

}  // namespace jabbery
