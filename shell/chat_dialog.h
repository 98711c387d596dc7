#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "engine/conversation.h"
#include "platform/host.h"
#include "shell/preset_answers.h"
#include "shell/turn_runner.h"

class wxButton;

namespace jabbery {

class RtfView;
class UserDialogs;
class WxUserDialogs;

// How the main window runs its conversation. The program uses the
// defaults; tests shorten the times.
struct ChatSettings {
    // Bot folders given in advance (the command line); empty: all is asked.
    std::vector<std::string> m_botFolders;
    std::chrono::milliseconds m_turnInterval{kTurnIntervalMs};
    std::chrono::milliseconds m_botTimeLimit{RunLimits{}.m_limit};
};

// The main window: the transcript view (1002) and the buttons Exit (1003),
// Manual (1006) and About (1008). It owns the conversation for its whole
// life and is the engine's Host: its timer drives the turns, its view shows
// the document, and its dialogs ask the user.
//
// A turn's bot runs on a worker thread; the window stays responsive and
// the reply comes back to the window's thread, in this order of events: a
// tick while a turn is in flight starts nothing but marks a turn as due,
// which then starts as soon as the reply is in; Exit during a turn runs the
// Exit sequence right after that turn. Closing the window in any other way
// (close box, Escape) ends without the offer to save, and stops a running
// bot with its process group at once.
class CChatDialog : public wxDialog, private Host {
  public:
    static constexpr int kViewId = 1002;
    static constexpr int kExitId = 1003;
    static constexpr int kManualId = 1006;
    static constexpr int kAboutId = 1008;

    // `dialogs` answers the user's questions; null: the real dialogs.
    CChatDialog(wxWindow* parent, ChatSettings settings, UserDialogs* dialogs = nullptr);
    ~CChatDialog() override;

    // Runs the set-up and, when it succeeds, shows the window modally until
    // it closes. Returns wxID_CANCEL however the window ended.
    int DoModal();

    // The set-up: icons, the bot count, the bots' folders, then the
    // conversation starts. A cancelled question closes the window again.
    bool OnInitDialog();

    // Stops the timer and any running bot's whole process group at once;
    // nothing runs afterwards. Closing the window calls it.
    void ShutDown();

    const ConversationState& State() const { return m_state; }
    RtfView* TranscriptView() const { return m_transcriptView; }
    bool IsTurnInFlight() const { return m_turnInFlight; }

  private:
    // Host: what the engine asks of the window.
    std::string BrowseForBotFolder(int number, int count) override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& question) override;
    std::optional<std::string> AskSavePath() override;
    void RequestClose() override;
    unsigned StartTurnTimer(unsigned interval_ms) override;
    void StopTurnTimer(unsigned timer_id) override;
    void ShowDocument(const std::string& rtf_document, std::size_t unchanged_prefix) override;

    void OnTimer(wxTimerEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnManual(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    void StartTurn();
    void OnTurnDone(const CPlainString& reply);

    ConversationState m_state;
    RtfView* m_transcriptView = nullptr;
    wxTimer m_turnTimer;
    ChatSettings m_settings;
    std::unique_ptr<WxUserDialogs> m_ownDialogs;  // when none were given
    PresetAnswers m_dialogs;
    TurnRunner m_runner;

    bool m_timerRunning = false;
    bool m_turnInFlight = false;
    bool m_tickPending = false;  // a tick came during the turn in flight
    bool m_exitPending = false;  // Exit was pressed during the turn in flight
    bool m_closeRequested = false;
    bool m_closing = false;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace jabbery
