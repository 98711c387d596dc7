// SPDX-License-Identifier: MIT
#pragma once

#include <wx/dialog.h>

#include <string>

class wxListCtrl;
class wxListEvent;
class wxTextCtrl;

namespace jabbery {

class Conversation;
struct Participant;
class UserDialogs;

// The Bots window: one row per linked bot with its colour, name, turns,
// answers, failures, median and slowest time, talkativeness, last failure
// and folder, and below it the selected bot's failures by kind and its last
// failure with the last lines it wrote. Not modal: the conversation goes on
// and Update shows its news.
//
// It also steers the conversation: a row's context menu mutes or unmutes
// its bot, sets its talkativeness, lets it speak next or removes it, and
// "Add a bot..." asks for a folder and adds the bot there, "New bot from a
// program..." makes a bot folder for a command line and adds that bot; each takes effect
// at the next turn. Muted and removed bots' rows are grey. What the
// conversation refuses is shown in its own words.
// Escape or the close box hide it; the main window owns it.
class CBotsWindow : public wxDialog {
  public:
    static constexpr int kOpenFolderId = 1202;
    static constexpr int kAddId = 1203;
    static constexpr int kNewProgramBotId = 1204;
    static constexpr int kMuteId = 1211;
    static constexpr int kTalkativenessId = 1212;
    static constexpr int kSpeakNextId = 1213;
    static constexpr int kRemoveId = 1214;

    // `dialogs` asks for an added bot's folder and shows refusals.
    // `conversations_folder`: where transcripts are kept as they grow, which
    // a button opens; empty: no button.
    CBotsWindow(wxWindow* parent, Conversation& conversation, UserDialogs& dialogs,
                const std::string& conversations_folder);

    // Shows the conversation's counts as they are now.
    void Update();

    wxListCtrl* Table() const { return m_table; }
    wxTextCtrl* Details() const { return m_details; }

  private:
    void OnSelect(wxListEvent& event);
    void OnOpenFolder(wxCommandEvent& event);
    void OnRowMenu(wxListEvent& event);
    void OnTableKey(wxListEvent& event);
    void OnMute(wxCommandEvent& event);
    void OnTalkativeness(wxCommandEvent& event);
    void OnSpeakNext(wxCommandEvent& event);
    void OnRemove(wxCommandEvent& event);
    void OnAdd(wxCommandEvent& event);
    void OnNewProgramBot(wxCommandEvent& event);
    void ShowDetails();
    // The selected row's menu: what can be done with its bot.
    void ShowRowMenu();
    // The selected row's bot, or null when no row is selected.
    const Participant* Selected() const;
    // Shows what the conversation answered to a change: a refusal, or the change.
    void Done(const std::string& refusal);

    Conversation& m_conversation;
    UserDialogs& m_dialogs;
    std::string m_folder;
    wxListCtrl* m_table = nullptr;
    wxTextCtrl* m_details = nullptr;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace jabbery
