// SPDX-License-Identifier: MIT
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/conversation.h"
#include "engine/turn_runner.h"
#include "engine/turn_scheduler.h"
#include "engine/conversation_window.h"
#include "platform/document_view.h"
#include "shell/preset_answers.h"
#include "transcript/transcript_autosave.h"

class wxButton;
class wxContextMenuEvent;
class wxGUIEventLoop;

namespace jabbery {

class CBotsWindow;
class RtfView;
class UserDialogs;
class WxUserDialogs;

// How the main window runs its conversation. The program uses the
// defaults; tests shorten the times.
struct ChatSettings {
    // Bot folders given in advance (the command line); empty: all is asked.
    std::vector<std::string> m_botFolders;
    std::chrono::milliseconds m_turnInterval{kTurnInterval};
    std::chrono::milliseconds m_botTimeLimit{kBotTimeLimit};
    // Where the transcript is kept as it grows; empty: it is not.
    std::string m_autosaveFolder = std::string();
    // Where a failed turn is warned about, as the terminal runner does;
    // null: nowhere.
    std::FILE* m_warnings = nullptr;
};

// The main window: the transcript view (1002) and the buttons Exit (1003),
// Manual (1006) and About (1008). It owns the conversation for its whole
// life and is the engine's window and view: its timer drives the turns and
// its view shows the document; its dialogs ask the user.
//
// A turn's bot runs on a worker thread; the window stays responsive and
// the reply comes back to the window's thread. When turns start is decided
// by a TurnScheduler, which the window feeds its ticks, replies, Exit and
// close. Closing the window in any way but Exit (close box, Escape) ends
// without the offer to save, and stops a running bot with its process group
// at once.
//
// Beyond its buttons the window has a context menu on the view, also
// reachable by keys: Pause/Resume (Ctrl+P), Save transcript now (Ctrl+S),
// Export coloured transcript, Copy, Select All, and the Bots window
// (Ctrl+B). Its title says when it is paused, when Exit waits for the turn
// in flight, and when the last turn's bot failed.
class CChatDialog : public wxDialog, private ConversationWindow, private DocumentView {
  public:
    static constexpr int kViewId = 1002;
    static constexpr int kExitId = 1003;
    static constexpr int kManualId = 1006;
    static constexpr int kAboutId = 1008;
    static constexpr int kPauseId = 1101;
    static constexpr int kSaveNowId = 1102;
    static constexpr int kExportId = 1103;
    static constexpr int kBotsId = 1104;
    static constexpr int kTurnTimerId = 1;

    // `dialogs` answers the user's questions; null: the real dialogs.
    CChatDialog(wxWindow* parent, ChatSettings settings, UserDialogs* dialogs = nullptr);
    ~CChatDialog() override;

    // Runs the set-up and, when it succeeds, shows the window and runs its
    // event loop (without a modal grab, so the windows it opens take input) until
    // it closes. Returns wxID_CANCEL however the window ended.
    int DoModal();

    // The set-up: icons, the bot count, the bots' folders, then the
    // conversation starts. A cancelled question closes the window again.
    bool OnInitDialog();

    // Sizes the window to the template's size, shrunk to the screen's work
    // area when that is smaller, and places it wholly on that area.
    void FitOnScreen();

    // Stops the timer and any running bot's whole process group at once;
    // nothing runs afterwards. Closing the window calls it.
    void ShutDown();

    const ConversationState& State() const { return m_state; }
    RtfView* TranscriptView() const { return m_transcriptView; }
    bool IsTurnInFlight() const { return m_scheduler.IsTurnInFlight(); }
    CBotsWindow* BotsWindow() const { return m_botsWindow; }

  private:
    // What the engine asks of the window and its view.
    void RequestClose() override;
    void StartTurnTimer() override;
    void StopTurnTimer() override;
    void ShowDocument(const std::string& rtf_document, std::size_t unchanged_prefix) override;

    void OnTimer(wxTimerEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnManual(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnPause(wxCommandEvent& event);
    void OnSaveNow(wxCommandEvent& event);
    void OnExport(wxCommandEvent& event);
    void OnCopy(wxCommandEvent& event);
    void OnSelectAll(wxCommandEvent& event);
    void OnBots(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnSize(wxSizeEvent& event);

    // Places the controls for the client size: at the template's size each
    // has its template rectangle; what the window grows by goes to the view,
    // and the buttons stay along the bottom (Exit right, About centred).
    void PlaceControls();

    // Does what the scheduler answered to an event.
    void Do(SchedulerAction action);
    void StartTurn();
    void OnTurnDone(const ExchangeResult& result);
    // Marks a failed turn of `bot` in the view and the title, and warns
    // about it; an answer clears the bot's mark from the title.
    void NoteOutcome(int bot, const ExchangeOutcome& outcome);
    // The title and the Exit button as the conversation now stands.
    void ShowState();
    // Adds the new turn to the kept transcript; a failure is said once.
    void KeepTranscript();
    // Runs the menu command `id` as if chosen.
    void Command(int id);

    ConversationState m_state;
    RtfView* m_transcriptView = nullptr;
    wxButton* m_exitButton = nullptr;
    wxButton* m_manualButton = nullptr;
    wxButton* m_aboutButton = nullptr;
    wxTimer m_turnTimer;
    ChatSettings m_settings;
    std::unique_ptr<WxUserDialogs> m_ownDialogs;  // when none were given
    PresetAnswers m_dialogs;
    TurnRunner m_runner;
    TurnScheduler m_scheduler;
    bool m_closeRequested = false;
    wxGUIEventLoop* m_eventLoop = nullptr;  // while DoModal runs the window
    TranscriptAutosave m_autosave;
    // How each bot's last exchange failed, until it answers again; the title
    // names the latest.
    std::vector<std::pair<int, std::string>> m_failureNotes;
    CBotsWindow* m_botsWindow = nullptr;  // a child window, made when first asked for

    wxDECLARE_EVENT_TABLE();
};

}  // namespace jabbery
