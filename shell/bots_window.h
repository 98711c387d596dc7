// SPDX-License-Identifier: MIT
#pragma once

#include <wx/dialog.h>

#include <string>

class wxListCtrl;
class wxListEvent;
class wxTextCtrl;

namespace jabbery {

class Conversation;

// The Bots window: one row per linked bot with its colour, name, turns,
// answers, failures, median and slowest time, last failure and folder, and
// below it the selected bot's failures by kind and its last failure with the
// last lines it wrote. Not modal: the conversation goes on and Update shows
// its news.
// Escape or the close box hide it; the main window owns it.
class CBotsWindow : public wxDialog {
  public:
    static constexpr int kOpenFolderId = 1202;

    // `conversations_folder`: where transcripts are kept as they grow, which
    // a button opens; empty: no button.
    CBotsWindow(wxWindow* parent, const Conversation& conversation,
                const std::string& conversations_folder);

    // Shows the conversation's counts as they are now.
    void Update();

    wxListCtrl* Table() const { return m_table; }
    wxTextCtrl* Details() const { return m_details; }

  private:
    void OnSelect(wxListEvent& event);
    void OnOpenFolder(wxCommandEvent& event);
    void ShowDetails();

    const Conversation& m_conversation;
    std::string m_folder;
    wxListCtrl* m_table = nullptr;
    wxTextCtrl* m_details = nullptr;
    long m_selected = -1;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace jabbery
