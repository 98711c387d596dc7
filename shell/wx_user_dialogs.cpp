#include "shell/wx_user_dialogs.h"

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "shell/about_dialog.h"
#include "shell/folder_prompt.h"
#include "shell/manual.h"
#include "shell/num_dialog.h"
#include "shell/program_title.h"
#include "shell/wx_text.h"

namespace jabbery {

std::optional<int> WxUserDialogs::AskBotCount() {
    // Asked before the main window shows, so the dialog stands on its own.
    CNumDialog dialog(nullptr, [&dialog] { jabbery::OpenManual(&dialog); });
    if (dialog.DoModal() != wxID_OK) return std::nullopt;
    return dialog.GetBotCount();
}

std::string WxUserDialogs::BrowseForBotFolder(int number, int count) {
    std::string error;
    const std::string start_folder = PromptStartFolder(error);
    if (!error.empty()) ShowError(error);
    // The folder chooser is a window of its own, owned by nobody.
    return jabbery::BrowseForBotFolder(nullptr, number, count, start_folder);
}

void WxUserDialogs::ShowError(const std::string& text) {
    wxMessageBox(ToWxText(text), ProgramTitle(), wxOK | wxICON_ERROR, m_mainWindow);
}

bool WxUserDialogs::AskYesNo(const std::string& question) {
    // Escape and the close box give Cancel, which counts as No.
    return wxMessageBox(ToWxText(question), ProgramTitle(), wxYES_NO, m_mainWindow) == wxYES;
}

std::optional<std::string> WxUserDialogs::AskSavePath() {
    // No overwrite question: an existing file is appended to, never replaced.
    wxFileDialog dialog(m_mainWindow, "Save As", wxString(), wxString(), "Text file (*.txt)|*.txt",
                        wxFD_SAVE);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return PathFromWx(dialog.GetPath());
}

void WxUserDialogs::OpenManual() {
    jabbery::OpenManual(m_mainWindow);
}

void WxUserDialogs::ShowAboutBox() {
    jabbery::ShowAboutBox(m_mainWindow);
}

}  // namespace jabbery
