// SPDX-License-Identifier: MIT
#include "shell/wx_user_dialogs.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>
#include <wx/utils.h>

#include "shell/about_dialog.h"
#include "shell/folder_prompt.h"
#include "shell/manual.h"
#include "shell/message_box_caption.h"
#include "shell/num_dialog.h"
#include "shell/wx_text.h"
#include "transcript/file_names.h"

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
    wxMessageBox(ToWxText(text), MessageBoxCaption(), wxOK | wxICON_ERROR, m_mainWindow);
}

bool WxUserDialogs::AskYesNo(const std::string& question) {
    // Escape and the close box give Cancel, which counts as No.
    return wxMessageBox(ToWxText(question), MessageBoxCaption(), wxYES_NO, m_mainWindow) == wxYES;
}

std::optional<bool> WxUserDialogs::AskYesNoCancel(const std::string& question) {
    // Escape and the close box give Cancel.
    const int answer =
        wxMessageBox(ToWxText(question), MessageBoxCaption(), wxYES_NO | wxCANCEL, m_mainWindow);
    if (answer == wxCANCEL) return std::nullopt;
    return answer == wxYES;
}

std::optional<std::string> WxUserDialogs::AskSavePath() {
    // No overwrite question: an existing file is appended to, never replaced.
    return AskPath("Save As", "Text file (*.txt)|*.txt", ".txt");
}

std::optional<std::string> WxUserDialogs::AskExportPath() {
    // The overwrite question is the window's own, asked after this one.
    return AskPath("Export coloured transcript", "Rich text document (*.rtf)|*.rtf", ".rtf");
}

std::optional<std::string> WxUserDialogs::AskPath(const wxString& title, const wxString& filter,
                                                  const std::string& extension) {
    wxFileDialog dialog(m_mainWindow, title, m_lastFolder.empty() ? wxGetCwd() : m_lastFolder,
                        PathToWx(SuggestedTranscriptName(extension)), filter, wxFD_SAVE);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    // The folder of the chosen file: a path typed into the name goes elsewhere.
    m_lastFolder = wxFileName(dialog.GetPath()).GetPath();
    return WithDefaultExtension(PathFromWx(dialog.GetPath()), extension);
}

void WxUserDialogs::OpenManual() {
    jabbery::OpenManual(m_mainWindow);
}

bool WxUserDialogs::AskGoOnDespiteFailedChecks(const std::vector<std::string>& failures) {
    std::string text = failures.size() == 1
                           ? "A bot failed the check before the first turn:\n\n"
                           : "Some bots failed the check before the first turn:\n\n";
    for (const std::string& failure : failures) text += failure + "\n";
    text += "\nSuch a bot will most likely not answer. Go on anyway?";
    wxMessageDialog dialog(m_mainWindow, ToWxText(text), MessageBoxCaption(),
                           wxYES_NO | wxICON_WARNING);
    dialog.SetYesNoLabels("&Go on", "&Quit");
    // Escape and the close box give Cancel, which counts as Quit.
    return dialog.ShowModal() == wxID_YES;
}

std::optional<std::string> WxUserDialogs::AskHumanName(const std::string& suggested) {
    wxTextEntryDialog dialog(m_mainWindow,
                             "Your name in the conversation:", "Join the conversation",
                             ToWxText(suggested));
    // Escape and the close box give Cancel: the user does not join.
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return dialog.GetValue().utf8_string();
}

std::optional<ProgramBotAnswer> WxUserDialogs::AskProgramBot() {
    ProgramBotAnswer answer;
    const char* const title = "New bot from a program";
    wxTextEntryDialog name(m_mainWindow, "The new bot's name (also its folder's name):", title);
    if (name.ShowModal() != wxID_OK) return std::nullopt;
    answer.m_name = name.GetValue().utf8_string();
    wxTextEntryDialog command(m_mainWindow,
                              "The command line of a program that reads a message on standard\n"
                              "input and prints its answer:",
                              title);
    if (command.ShowModal() != wxID_OK) return std::nullopt;
    answer.m_commandLine = command.GetValue().utf8_string();
    return answer;
}

void WxUserDialogs::ShowAboutBox() {
    jabbery::ShowAboutBox(m_mainWindow);
}

}  // namespace jabbery
