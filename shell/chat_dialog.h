// SPDX-License-Identifier: MIT
#pragma once

#include <wx/dialog.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/bot_runner.h"
#include "engine/conversation.h"
#include "engine/conversation_file.h"
#include "engine/conversation_runtime.h"
#include "engine/conversation_window.h"
#include "engine/jsonl_log.h"
#include "engine/recorded_conversation.h"
#include "engine/transcript_recorder.h"
#include "engine/turn_runner.h"
#include "engine/turn_warning.h"
#include "transcript/transcript_autosave.h"

class wxButton;
class wxContextMenuEvent;
class wxGUIEventLoop;
class wxTextCtrl;

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
    // The user's name when they join the conversation; empty: asked then.
    std::string m_humanName = std::string();
    // The line the first bot is handed; none: "Hi!".
    std::optional<std::string> m_opening = std::nullopt;
    // The speaking order's name (one of kSpeakingOrders) and the stop
    // rules, as the conversation starts; the menu changes them later.
    std::string m_order = kSpeakingOrders[0];
    StopRules m_rules = StopRules();
    // Each bot's talkativeness and mute from a conversation file, in the
    // order of m_botFolders; empty: the defaults.
    std::vector<FileBot> m_botTuning = {};
    // Seeds the choice of speakers and the jitter; none: the fixed start.
    std::optional<unsigned> m_seed = std::nullopt;
    // Each interval varies at random by up to this much either way.
    std::chrono::milliseconds m_jitter{0};
    // How long a program a bot keeps between turns may go unused.
    std::chrono::milliseconds m_keptIdle{kKeptIdle};
    // A conversation log to show, read-only, with no bot run.
    std::optional<std::string> m_replayLog = std::nullopt;
    // A conversation log to go on with (its bots again, or m_botFolders in
    // their place), appending to it.
    std::optional<std::string> m_continueLog = std::nullopt;
    // The window's program, which "Continue a conversation..." starts;
    // empty: this program's folder's "jabbery".
    std::string m_program = std::string();
};

// The main window: the transcript view (1002) and the buttons Exit (1003),
// Manual (1006) and About (1008). It owns the conversation for its whole
// life: its timer's ticks, the replies, Exit, close, pause and resume go to
// the conversation, and as an observer it shows each introduction and turn
// in its view, keeps the transcript on disk and marks failed turns; its
// dialogs ask the user.
//
// A turn's bot runs on a worker thread; the window stays responsive and
// the reply comes back to the window's thread. Closing the window in any way but Exit (close box,
// Escape) ends without the offer to save, and stops a running bot with its process group at once.
//
// Beyond its buttons the window has a context menu on the view, also
// reachable by keys: Pause/Resume (Ctrl+P), Save transcript now (Ctrl+S),
// Export (an HTML page, Markdown, text or the coloured RTF document), Save
// set-up as (a conversation file that runs the conversation as it stands
// again), Copy, Select All, the Bots window (Ctrl+B), the Speaking order
// (from the next turn on), the Stop rules, which pause the conversation
// when one is met, Continue a conversation (a log, in a window of its own),
// and Join the conversation (Ctrl+J): the user, named once
// per run, says lines in an entry line (1004) above the buttons; Enter says
// one at the next turn boundary, Ctrl+Enter at once, stopping the bot in
// flight. Ctrl+J again hides the entry. Its title says when it is paused and
// which rule stopped it, when Exit waits for the turn in flight, and when
// the last turn's bot failed. Showing a log (m_replayLog), it is read-only:
// nothing runs and nothing steers; save, export and copy work.
class CChatDialog : public wxDialog, private ConversationWindow, private ConversationObserver {
  public:
    static constexpr int kViewId = 1002;
    static constexpr int kExitId = 1003;
    static constexpr int kEntryId = 1004;
    static constexpr int kManualId = 1006;
    static constexpr int kAboutId = 1008;
    static constexpr int kPauseId = 1101;
    static constexpr int kSaveNowId = 1102;
    static constexpr int kExportId = 1103;
    static constexpr int kBotsId = 1104;
    static constexpr int kStopRulesId = 1105;
    static constexpr int kJoinId = 1106;
    static constexpr int kSaveSetUpId = 1107;
    static constexpr int kContinueId = 1108;
    // The speaking orders' menu items, in the order of kSpeakingOrders.
    static constexpr int kFirstOrderId = 1110;
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

    const Conversation& GetConversation() const { return m_conversation; }
    const TranscriptTexts& Transcripts() const { return m_transcripts.Texts(); }
    RtfView* TranscriptView() const { return m_transcriptView; }
    bool IsTurnInFlight() const { return m_conversation.Scheduler().IsTurnInFlight(); }
    CBotsWindow* BotsWindow() const { return m_botsWindow; }
    // The entry line; null until the user first joins.
    wxTextCtrl* Entry() const { return m_entry; }

  private:
    // What the Exit sequence asks of the window.
    void RequestClose() override;
    void StartTurnTimer() override;
    void StopTurnTimer() override;

    // What the conversation tells the window: each introduction and turn
    // goes into the view; a turn is also kept on disk and a failed one marked.
    void ParticipantJoined(const Conversation& conversation,
                           const Participant& participant) override;
    void TurnRecorded(const Conversation& conversation, const Turn& turn) override;

    void OnTimer(wxTimerEvent& event);
    void OnExit(wxCommandEvent& event);
    void OnManual(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnContextMenu(wxContextMenuEvent& event);
    void OnPause(wxCommandEvent& event);
    void OnSaveNow(wxCommandEvent& event);
    void OnExport(wxCommandEvent& event);
    void OnSaveSetUp(wxCommandEvent& event);
    void OnCopy(wxCommandEvent& event);
    void OnSelectAll(wxCommandEvent& event);
    void OnBots(wxCommandEvent& event);
    void OnSpeakingOrder(wxCommandEvent& event);
    void OnStopRules(wxCommandEvent& event);
    // Joins the conversation (the name asked the first time) and shows the
    // entry line, or hides it when it shows.
    void OnJoin(wxCommandEvent& event);
    // Asks for a conversation log and starts the window's program going on
    // with it, in a window of its own.
    void OnContinue(wxCommandEvent& event);
    // Keys in the entry line: Enter says its line, Ctrl+Enter interrupts
    // with it, Escape clears it. False: a key the entry does not take.
    bool OnEntryKey(const wxKeyEvent& event);
    // Shows or hides the entry line, the view shrinking or growing to fit.
    void ShowEntry(bool show);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnSize(wxSizeEvent& event);

    // Places the controls for the client size: at the template's size each
    // has its template rectangle; what the window grows by goes to the view,
    // and the buttons stay along the bottom (Exit right, About centred). The
    // entry line, when it shows, takes the bottom of the view's place.
    void PlaceControls();

    // Shows the log m_replayLog, read-only.
    void SetUpReplay();
    // The log at `path`, its problems warned about; none, said in a
    // message, when it cannot be read or records no one.
    std::optional<RecordedConversation> ReadLog(const std::string& path);
    // The bots of m_continueLog, read again from their folders (or those
    // given); none, said in a message, when one cannot be read.
    std::optional<std::vector<Participant>> BotsToContinue();
    // Whether the menu command `id` steers the conversation (none does in a replay).
    static bool Steers(int id);
    // A replay takes no steering command, from the menu or a shortcut.
    bool TryBefore(wxEvent& event) override;

    // Does what the conversation answered to an event.
    void Do(SchedulerAction action);
    void StartTurn();
    // Marks a failed turn of `bot` in the view and the title; an answer
    // clears the bot's mark from the title.
    void NoteOutcome(const Participant& bot, const ExchangeOutcome& outcome);
    // The title and the Exit button as the conversation now stands.
    void ShowState();
    // Starts the kept transcript and its JSON Lines log beside it.
    void StartKeeping();
    // Opens the conversation's JSON Lines log, made as `access` says when it
    // is new; false, said as a warning, when it cannot.
    bool OpenLog(const std::string& path, FileAccess access = FileAccess::kShared);
    // Writes "jabbery: `text`" where warnings go, when they go anywhere.
    void Warn(const std::string& text);
    // Adds the new turn to the kept transcript; a failure is said once.
    void KeepTranscript();
    // Runs the menu command `id` as if chosen.
    void Command(int id);

    Conversation m_conversation;
    TranscriptRecorder m_transcripts;
    std::optional<TurnWarnings> m_turnWarnings;  // when warnings go somewhere
    RtfView* m_transcriptView = nullptr;
    wxButton* m_exitButton = nullptr;
    wxButton* m_manualButton = nullptr;
    wxButton* m_aboutButton = nullptr;
    wxTextCtrl* m_entry = nullptr;         // made when the user first joins
    std::optional<ParticipantId> m_human;  // once the user has joined
    wxTimer m_turnTimer;
    ChatSettings m_settings;
    std::unique_ptr<WxUserDialogs> m_ownDialogs;  // when none were given
    UserDialogs& m_dialogs;
    ProcessBotRunner m_bots;
    // The bots' view of the conversation (its log so far, their kept
    // programs); it outlives the runner, which stops the bot in flight first.
    ConversationRuntime m_runtime;
    TurnRunner m_runner;
    bool m_closeRequested = false;
    wxGUIEventLoop* m_eventLoop = nullptr;  // while DoModal runs the window
    TranscriptAutosave m_autosave;
    // The conversation's turns as JSON Lines beside the kept transcript.
    JsonlLog m_jsonl;
    // How each bot's last exchange failed, until it answers again; the title
    // names the latest.
    std::vector<std::pair<ParticipantId, std::string>> m_failureNotes;
    CBotsWindow* m_botsWindow = nullptr;  // a child window, made when first asked for
    std::size_t m_order = 0;              // the speaking order's index in kSpeakingOrders
    std::mt19937 m_jitterDraws;           // seeded as the speakers are, a generator of its own
    bool m_readOnly = false;              // showing a log: nothing runs or steers
    // The log being continued, read at set-up; none otherwise.
    std::optional<RecordedConversation> m_continued;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace jabbery
