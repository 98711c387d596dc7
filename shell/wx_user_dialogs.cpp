// SPDX-License-Identifier: MIT
#include "shell/wx_user_dialogs.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>
#include <wx/utils.h>

#include <algorithm>

#include "engine/conversation_file.h"
#include "share/export_format.h"
#include "shell/about_dialog.h"
#include "shell/folder_prompt.h"
#include "shell/manual.h"
#include "shell/message_box_caption.h"
#include "shell/num_dialog.h"
#include "shell/wx_text.h"
#include "transcript/file_names.h"
#include "transcript/transcript_autosave.h"

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
    int type = 0;
    return AskPath("Save As", "Text file (*.txt)|*.txt", {".txt"}, type);
}

std::optional<std::string> WxUserDialogs::AskExportPath() {
    wxString filter;
    std::vector<std::string> extensions;
    for (const ExportFormatInfo& format : kExportFormats) {
        filter += wxString(filter.empty() ? "" : "|") + format.m_label + " (*." + format.m_name +
                  ")|*." + format.m_name;
        extensions.push_back(std::string(".") + format.m_name);
    }
    // The coloured transcript is chosen first, as it was before the other formats.
    int type = static_cast<int>(extensions.size()) - 1;
    // The overwrite question is the window's own, asked after this one.
    const std::optional<std::string> path =
        AskPath("Export conversation", filter, extensions, type);
    if (!path || ExportFormatOfPath(*path)) return path;
    return *path + extensions[static_cast<std::size_t>(type)];
}

std::optional<std::string> WxUserDialogs::AskLogPath() {
    wxFileDialog dialog(m_mainWindow, "Continue a conversation", PathToWx(ConversationsFolder()),
                        wxEmptyString, "Conversation logs (*.jsonl)|*.jsonl|All files|*",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return PathFromWx(dialog.GetPath());
}

std::optional<std::string> WxUserDialogs::AskSetUpPath() {
    int type = 0;
    return AskPath("Save set-up as", "Conversation file (*.jabbery)|*.jabbery",
                   {std::string(kConversationFileEnding)}, type);
}

std::optional<std::string> WxUserDialogs::AskPath(const wxString& title, const wxString& filter,
                                                  const std::vector<std::string>& extensions,
                                                  int& type) {
    wxFileDialog dialog(m_mainWindow, title, m_lastFolder.empty() ? wxGetCwd() : m_lastFolder,
                        PathToWx(SuggestedTranscriptName(extensions.at(type))), filter, wxFD_SAVE);
    dialog.SetFilterIndex(type);
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    type = std::clamp(dialog.GetFilterIndex(), 0, static_cast<int>(extensions.size()) - 1);
    // The folder of the chosen file: a path typed into the name goes elsewhere.
    m_lastFolder = wxFileName(dialog.GetPath()).GetPath();
    return WithDefaultExtension(PathFromWx(dialog.GetPath()), extensions[type]);
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
