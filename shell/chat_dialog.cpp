// SPDX-License-Identifier: MIT
#include "shell/chat_dialog.h"

#include <wx/button.h>
#include <wx/evtloop.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <filesystem>

#include "engine/bot_check.h"
#include "engine/bot_set_up.h"
#include "engine/conversation_replay.h"
#include "engine/exit_sequence.h"
#include "engine/outcome_text.h"
#include "engine/record_of.h"
#include "engine/set_up_file.h"
#include "engine/set_up_record.h"
#include "platform/draws.h"
#include "platform/terminal.h"
#include "platform/user_account.h"
#include "share/export.h"
#include "shell/bots_window.h"
#include "shell/dialog_units.h"
#include "shell/export_document.h"
#include "shell/native_view.h"
#include "shell/program_icons.h"
#include "shell/rtf_view.h"
#include "shell/stop_rules_dialog.h"
#include "shell/wx_text.h"
#include "shell/wx_user_dialogs.h"
#include "transcript/clock_text.h"
#include "values/product.h"

namespace jabbery {
namespace {

// The template's client size, and the smallest the window may be made.
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 200;
constexpr int kMinClientWidth = 200;
constexpr int kMinClientHeight = 100;

// The speaking orders as the menu names them, in the order of kSpeakingOrders.
constexpr const char* kOrderLabels[] = {"&Random", "&List", "&Natural", "&Pooled"};
static_assert(std::size(kOrderLabels) == std::size(kSpeakingOrders));

constexpr const char* kAutosaveFailed =
    "\nThe conversation goes on; Save transcript now (Ctrl+S) keeps it.";

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CChatDialog, wxDialog)
    EVT_TIMER(kTurnTimerId, CChatDialog::OnTimer)
    EVT_BUTTON(CChatDialog::kExitId, CChatDialog::OnExit)
    EVT_BUTTON(CChatDialog::kManualId, CChatDialog::OnManual)
    EVT_BUTTON(CChatDialog::kAboutId, CChatDialog::OnAbout)
    EVT_CONTEXT_MENU(CChatDialog::OnContextMenu)
    EVT_MENU(CChatDialog::kPauseId, CChatDialog::OnPause)
    EVT_MENU(CChatDialog::kSaveNowId, CChatDialog::OnSaveNow)
    EVT_MENU(CChatDialog::kExportId, CChatDialog::OnExport)
    EVT_MENU(CChatDialog::kSaveSetUpId, CChatDialog::OnSaveSetUp)
    EVT_MENU(wxID_COPY, CChatDialog::OnCopy)
    EVT_MENU(wxID_SELECTALL, CChatDialog::OnSelectAll)
    EVT_MENU(CChatDialog::kBotsId, CChatDialog::OnBots)
    EVT_MENU(CChatDialog::kStopRulesId, CChatDialog::OnStopRules)
    EVT_MENU(CChatDialog::kJoinId, CChatDialog::OnJoin)
    EVT_MENU(CChatDialog::kContinueId, CChatDialog::OnContinue)
    EVT_MENU_RANGE(CChatDialog::kFirstOrderId,
                   CChatDialog::kFirstOrderId + std::size(kSpeakingOrders) - 1,
                   CChatDialog::OnSpeakingOrder)
    EVT_CHAR_HOOK(CChatDialog::OnCharHook)
    EVT_CLOSE(CChatDialog::OnClose)
    EVT_SIZE(CChatDialog::OnSize)
wxEND_EVENT_TABLE();
// clang-format on

CChatDialog::CChatDialog(wxWindow* parent, ChatSettings settings, UserDialogs* dialogs)
    : wxDialog(parent, wxID_ANY, ProgramTitle(), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxMINIMIZE_BOX | wxMAXIMIZE_BOX |
                   wxRESIZE_BORDER),
      m_turnTimer(this, kTurnTimerId),
      m_settings(std::move(settings)),
      m_ownDialogs(dialogs ? nullptr : std::make_unique<WxUserDialogs>(this)),
      m_dialogs(dialogs ? *dialogs : *m_ownDialogs),
      m_runtime(ConversationId(), [this](const std::string& error) { Warn(error); }),
      m_runner(m_bots, m_settings.m_botTimeLimit),
      m_jsonl(m_runtime.Id(), [this](const std::string& error) { Warn(error); }),
      m_jitterDraws(m_settings.m_seed.value_or(0)) {
    // The template's size is the preferred one; the smaller minimum still
    // holds the three buttons and a few lines, for small or scaled screens.
    SetClientSizeInDialogUnits(this, kClientWidth, kClientHeight);
    SetMinClientSize(ConvertDialogToPixels(wxSize(kMinClientWidth, kMinClientHeight)));

    // Created in the layout's order, which is also the tab order; placed by PlaceControls.
    m_transcriptView = new RtfView(this, kViewId, wxDefaultPosition, wxDefaultSize);
    // Alt and the underlined letter press each button from the keyboard.
    m_exitButton = new wxButton(this, kExitId, "E&xit");
    m_manualButton = new wxButton(this, kManualId, "&Manual");
    m_aboutButton = new wxButton(this, kAboutId, "&About");
    m_transcriptView->Append(kRtfHeader);
    PlaceControls();
}

void CChatDialog::PlaceControls() {
    if (m_aboutButton == nullptr) return;  // a size event during construction
    const wxSize extra =
        GetClientSize() - ConvertDialogToPixels(wxSize(kClientWidth, kClientHeight));
    // A button moves right by `halves` halves of the growth, and down by all of it.
    const auto place_button = [&](wxWindow* button, int x, int halves) {
        const DialogRect rect = DialogUnits(this, x, 172, 60, 21);
        button->SetSize(
            wxRect(rect.m_position + wxPoint(extra.x * halves / 2, extra.y), rect.m_size));
    };
    // The view keeps its top left corner and takes all the growth; the
    // entry line, when it shows, takes the bottom of its place.
    const bool entry_shown = m_entry != nullptr && m_entry->IsShown();
    const DialogRect view = DialogUnits(this, 7, 7, 306, entry_shown ? 139 : 157);
    m_transcriptView->SetSize(wxRect(view.m_position, view.m_size + extra));
    if (entry_shown) {
        const DialogRect entry = DialogUnits(this, 7, 150, 306, 14);
        m_entry->SetSize(
            wxRect(entry.m_position + wxPoint(0, extra.y), entry.m_size + wxSize(extra.x, 0)));
    }
    place_button(m_exitButton, 253, 2);
    place_button(m_manualButton, 7, 0);
    place_button(m_aboutButton, 130, 1);
}

void CChatDialog::FitOnScreen() {
    SetClientSizeInDialogUnits(this, kClientWidth, kClientHeight);
    CentreWithinScreen(this);
}

void CChatDialog::OnSize(wxSizeEvent& event) {
    PlaceControls();
    event.Skip();
}

CChatDialog::~CChatDialog() {
    ShutDown();
}

int CChatDialog::DoModal() {
    OnInitDialog();
    // A set-up that asked to close leaves the window unshown.
    if (m_closeRequested) {
        ShutDown();
        return wxID_CANCEL;
    }
    FitOnScreen();
    // The window runs its own event loop without a modal grab. A grab on the
    // main window is held for its window group, and the Bots and manual
    // windows, opened from it, would share or steal it: then one window or
    // the other takes no input. The About box and the message boxes are
    // modal in their own right and disable this window while they are open.
    Show();
    wxGUIEventLoop loop;
    m_eventLoop = &loop;
    loop.Run();
    m_eventLoop = nullptr;
    Hide();
    return wxID_CANCEL;
}

bool CChatDialog::OnInitDialog() {
    SetIcons(ProgramIcons());
    if (m_settings.m_replayLog) {
        SetUpReplay();
        return true;
    }

    // Folders named on the command line set the count and answer each
    // bot's first prompt; without them, the user is asked.
    // A conversation continued goes on with its log's bots, none asked.
    const std::vector<std::string>& given = m_settings.m_botFolders;
    std::optional<std::vector<Participant>> bots;
    if (m_settings.m_continueLog) {
        bots = BotsToContinue();
    } else if (const std::optional<int> count =
                   given.empty() ? m_dialogs.AskBotCount() : static_cast<int>(given.size())) {
        bots = AskForBots(m_dialogs, *count, given);  // a closed dialog: nothing more asked
    }
    // The window closes before its first turn, with no conversation to end.
    if (!bots) {
        m_closeRequested = true;
        return true;
    }
    if (const auto failures = FailedBotChecks(*bots);
        !failures.empty() && !m_dialogs.AskGoOnDespiteFailedChecks(failures)) {
        m_closeRequested = true;
        return true;
    }
    std::string error;
    if (!m_runtime.Open(m_settings.m_keptIdle, error)) {
        Warn(error + "; the bots are not given the conversation's log or kept programs");
    }
    m_conversation.AddObserver(m_runtime.Log());
    m_conversation.SetBotEnvironment(m_runtime.Environment());
    m_conversation.AddObserver(m_transcripts);
    m_conversation.AddObserver(*this);
    if (std::FILE* warnings = m_settings.m_warnings; warnings != nullptr) {
        m_turnWarnings.emplace(
            "jabbery", IsTerminal(warnings),
            [warnings](const std::string& text) { std::fputs(text.c_str(), warnings); });
        m_conversation.AddObserver(*m_turnWarnings);
    }
    if (m_continued) {
        // The log's participants as they were, its opening, order and seed.
        JoinRecorded(m_conversation, *m_continued);
        const std::optional<ConversationSetUp>& set_up = m_continued->m_setUp;
        m_conversation.SetOpening(
            m_settings.m_opening.value_or(set_up ? set_up->m_opening : kFirstMessage));
        if (set_up && MakeSpeakingOrder(set_up->m_order)) m_settings.m_order = set_up->m_order;
        if (set_up && !m_settings.m_seed) m_settings.m_seed = set_up->m_seed;
        if (set_up) m_settings.m_rules = ContinuedRules(m_settings.m_rules, *set_up);
    } else {
        for (const Participant& bot : *bots) m_conversation.Join(bot);
        if (m_settings.m_opening) m_conversation.SetOpening(*m_settings.m_opening);
        if (const std::string refused = TuneBots(m_conversation, m_settings.m_botTuning);
            !refused.empty()) {
            m_dialogs.ShowError(refused);  // the bot speaks; the menu can mute another
        }
    }
    const auto* order =
        std::find(std::begin(kSpeakingOrders), std::end(kSpeakingOrders), m_settings.m_order);
    if (order != std::end(kSpeakingOrders)) {
        m_order = static_cast<std::size_t>(order - std::begin(kSpeakingOrders));
        m_conversation.SetSpeakingOrder(MakeSpeakingOrder(*order));
    }
    if (m_settings.m_seed) SeedDraws(*m_settings.m_seed);
    // The rules given (the Stop rules dialog changes them); when one is met,
    // and when fewer than two bots are left to speak, the window pauses
    // rather than ends.
    StopRules pausing = m_settings.m_rules;
    pausing.m_pauseInstead = true;
    m_conversation.SetRules(std::move(pausing));
    // A log's turns as said, under its order, seed and rules, so the
    // speakers go on as they would have.
    if (m_continued) CatchUpWith(m_conversation, m_continued->m_turns);
    // The bots' log begins as the kept log does.
    m_runtime.Log().BeginWithHeader(
        RecordSetUp("jabbery", kSpeakingOrders[m_order], m_settings.m_seed,
                    m_conversation.LastMessage(), m_conversation.Rules()),
        m_conversation.Participants());
    m_conversation.Start();
    StartTurnTimer();
    if (!m_settings.m_autosaveFolder.empty() || m_continued) StartKeeping();
    m_transcriptView->SetFocus();
    return true;
}

void CChatDialog::RequestClose() {
    // The Exit sequence has run: the conversation ends here, as it was told.
    m_conversation.Finish(EndReason::kExit, "Exit was chosen");
    m_closeRequested = true;
    // Closed from the event loop, once the handler that asked has returned.
    if (m_eventLoop != nullptr) CallAfter([this] { Close(); });
}

void CChatDialog::StartTurnTimer() {
    const long long interval = m_settings.m_turnInterval.count();
    const long long jitter = m_settings.m_jitter.count();
    if (jitter == 0) {
        m_turnTimer.Start(static_cast<int>(interval));
        return;
    }
    // Each tick is timed on its own, its interval drawn anew (OnTimer sets the next).
    const long long drawn =
        interval + std::uniform_int_distribution<long long>(-jitter, jitter)(m_jitterDraws);
    m_turnTimer.StartOnce(static_cast<int>(std::max(drawn, 1LL)));
}

void CChatDialog::StopTurnTimer() {
    m_turnTimer.Stop();
}

void CChatDialog::ParticipantJoined(const Conversation&, const Participant& participant) {
    m_transcriptView->Append(RtfIntroLine(participant.m_colour, participant.m_folder));
}

void CChatDialog::TurnRecorded(const Conversation& conversation, const Turn& turn) {
    const Participant& speaker = conversation.Get(turn.m_speaker);
    m_transcriptView->Append(RtfLineOf(speaker, turn));
    KeepTranscript();
    NoteOutcome(speaker, turn.m_outcome);
    if (m_botsWindow != nullptr) m_botsWindow->Update();
    ShowState();
}

void CChatDialog::OnTimer(wxTimerEvent&) {
    // A jittered timer fires once: the next tick is set before this one's
    // work, which may stop the timer for good (the Exit sequence).
    if (m_settings.m_jitter.count() > 0) StartTurnTimer();
    Do(m_conversation.OnTick());
    ShowState();  // the time rule may have stopped it
}

void CChatDialog::OnExit(wxCommandEvent&) {
    if (m_conversation.Scheduler().IsExitPending()) {
        // Exit again while the turn in flight is awaited stops its bot now;
        // its turn adds no line, and the save question may still be
        // cancelled, so later turns must be able to run.
        if (m_conversation.OnCancel() == SchedulerAction::kCancelTurn) m_runner.StopTurn();
        return;
    }
    Do(m_conversation.OnExit());
    // A slow bot may keep the Exit sequence waiting for up to its limit.
    if (m_conversation.Scheduler().IsExitPending()) ShowState();
}

void CChatDialog::Do(SchedulerAction action) {
    switch (action) {
        case SchedulerAction::kStartTurn:
            StartTurn();
            break;
        case SchedulerAction::kRunExitSequence:
            if (!StopConversation(Transcripts().m_plainText, m_dialogs, *this)) {
                m_conversation.OnExitCancelled();
                ShowState();
            }
            break;
        case SchedulerAction::kCancelTurn:
            // Kills a running bot's whole group now rather than waiting it
            // out; its reply, still on its way, is not recorded.
            m_runner.Stop();
            break;
        case SchedulerAction::kNothing:
            break;
    }
}

void CChatDialog::StartTurn() {
    const Participant& speaker = m_conversation.NextSpeaker();
    m_runner.Start(m_conversation.NextExchange(), m_conversation.LastMessage(),
                   [this, id = speaker.m_id](ExchangeResult result) {
                       // On the worker: the result goes to the conversation on
                       // the window's thread, which alone touches it.
                       CallAfter([this, id, result = std::move(result)] {
                           Do(m_conversation.OnExchangeDone(id, result));
                           ShowState();  // a rule may have stopped it
                       });
                   });
}

void CChatDialog::NoteOutcome(const Participant& bot, const ExchangeOutcome& outcome) {
    std::erase_if(m_failureNotes, [&bot](const auto& note) { return note.first == bot.m_id; });
    if (outcome.Answered()) return;
    const std::string reason = OutcomeText(outcome);
    // The transcript keeps the line as it is; the view marks it as failed.
    m_transcriptView->MarkLastLineFailed(reason);
    // Said in the title until this bot answers again, without stopping anything.
    m_failureNotes.emplace_back(bot.m_id, bot.m_name.Str() + " " + reason);
}

void CChatDialog::StartKeeping() {
    // A conversation continued goes on in its own log, opened first: a log
    // held open is passed over by the pruning of old conversations that
    // starting the transcript does, also when it is one of them.
    std::optional<bool> log_open;
    if (m_continued) log_open = OpenLog(*m_settings.m_continueLog);
    std::string error;
    if (!m_settings.m_autosaveFolder.empty() &&
        !m_autosave.Start(m_settings.m_autosaveFolder, Transcripts().m_plainText, SystemNow,
                          error)) {
        m_dialogs.ShowError(error + kAutosaveFailed);
        if (!m_continued) return;
    }
    // Beside the transcript, under its name: pruned with it, and like it the
    // user's alone to read.
    if (!log_open) {
        log_open =
            OpenLog(std::filesystem::path(m_autosave.Path()).replace_extension(".jsonl").string(),
                    FileAccess::kOwnerOnly);
    }
    if (!*log_open) return;
    const ConversationSetUp set_up =
        RecordSetUp("jabbery", kSpeakingOrders[m_order], m_settings.m_seed,
                    m_conversation.LastMessage(), m_conversation.Rules());
    if (m_continued) {
        m_jsonl.BeginContinued(set_up, static_cast<long long>(m_continued->m_turns.size()),
                               m_continued->m_participants);
    } else {
        m_jsonl.BeginWithHeader(set_up, m_conversation.Participants());
    }
    m_conversation.AddObserver(m_jsonl);
}

bool CChatDialog::OpenLog(const std::string& path, FileAccess access) {
    std::string error;
    if (m_jsonl.Open(path, error, access)) return true;
    Warn(error);  // said on the warnings' stream; the window goes on
    return false;
}

void CChatDialog::Warn(const std::string& text) {
    if (m_settings.m_warnings != nullptr) {
        std::fputs(("jabbery: " + text + "\n").c_str(), m_settings.m_warnings);
    }
}

void CChatDialog::KeepTranscript() {
    std::string error;
    // The autosave says when it falls behind, once; it catches up by itself.
    // The box comes after this turn's recording, so turns go on while it stands.
    if (m_autosave.IsActive() && !m_autosave.Update(Transcripts().m_plainText, error) &&
        !error.empty())
        CallAfter([this, error] { m_dialogs.ShowError(error + kAutosaveFailed); });
}

void CChatDialog::ShowState() {
    std::string title = ProgramTitle();
    if (m_readOnly) {
        title += " (a recorded conversation: " + *m_settings.m_replayLog + ")";
    } else if (m_conversation.Scheduler().IsExitPending()) {
        title += " (finishing the current turn; Exit again stops it now)";
    } else if (m_conversation.Scheduler().IsPaused()) {
        const std::optional<ConversationEnd>& stopped = m_conversation.StoppedBy();
        title += stopped ? " (stopped: " + stopped->m_summary + ")" : " (paused)";
    } else if (!m_failureNotes.empty()) {
        title += " (" + m_failureNotes.back().second + ")";
    }
    // Asked after every tick: the title is only set when it changes.
    if (GetTitle() != ToWxText(title)) SetTitle(ToWxText(title));
}

void CChatDialog::OnContextMenu(wxContextMenuEvent& event) {
    wxMenu menu;
    menu.Append(kPauseId,
                m_conversation.Scheduler().IsPaused() ? "&Resume\tCtrl+P" : "&Pause\tCtrl+P");
    menu.Append(kContinueId, "C&ontinue a conversation...");
    menu.Append(kSaveNowId, "&Save transcript now...\tCtrl+S");
    menu.Append(kExportId, "&Export...");
    menu.Append(kSaveSetUpId, "Save set-&up as...");
    menu.AppendSeparator();
    menu.Append(wxID_COPY, "&Copy\tCtrl+C")->Enable(m_transcriptView->CanCopy());
    menu.Append(wxID_SELECTALL, "Select &All\tCtrl+A");
    menu.AppendSeparator();
    menu.Append(kBotsId, "&Bots...\tCtrl+B");
    auto* orders = new wxMenu;
    for (std::size_t order = 0; order < std::size(kOrderLabels); ++order) {
        orders->AppendRadioItem(kFirstOrderId + static_cast<int>(order), kOrderLabels[order])
            ->Check(order == m_order);
    }
    menu.AppendSubMenu(orders, "Speaking &order");
    menu.Append(kStopRulesId, "Stop &rules...");
    menu.AppendSeparator();
    menu.Append(kJoinId, m_entry != nullptr && m_entry->IsShown()
                             ? "Hide the &entry line\tCtrl+J"
                             : "&Join the conversation\tCtrl+J");
    // A replay shows the conversation as it was: nothing in it is steered.
    if (m_readOnly) {
        for (wxMenuItem* item : menu.GetMenuItems()) {
            if (item->IsSubMenu() || Steers(item->GetId())) item->Enable(false);
        }
    }
    // From the keyboard (Menu key, Shift+F10) there is no pointer position.
    const wxPoint at = event.GetPosition() == wxDefaultPosition
                           ? m_transcriptView->GetPosition()
                           : ScreenToClient(event.GetPosition());
    PopupMenu(&menu, at);
}

void CChatDialog::Command(int id) {
    wxCommandEvent command(wxEVT_MENU, id);
    ProcessWindowEvent(command);
}

void CChatDialog::OnPause(wxCommandEvent&) {
    // The turn in flight still finishes; ticks start nothing until Resume.
    if (m_conversation.Scheduler().IsPaused()) {
        m_conversation.OnResume();
    } else {
        m_conversation.OnPause();
    }
    ShowState();
}

void CChatDialog::OnSaveNow(wxCommandEvent&) {
    // The Exit sequence's save, while the conversation goes on.
    SaveWithQuestions(Transcripts().m_plainText, m_dialogs);
}

void CChatDialog::OnExport(wxCommandEvent&) {
    // What the window shows, in the format the file's name says; a name of
    // no known format gets the coloured transcript.
    ExportDocument(
        [this](const std::string& path) {
            RecordedConversation record = RecordOf(m_conversation);
            record.m_setUp->m_order = kSpeakingOrders[m_order];
            record.m_setUp->m_seed = m_settings.m_seed;
            record.m_setUp->m_opening = m_settings.m_opening.value_or(kFirstMessage);
            return ExportConversation(record, ExportFormatOfPath(path).value_or(ExportFormat::kRtf),
                                      SystemNow());
        },
        [this] { return m_dialogs.AskExportPath(); }, m_dialogs);
}

void CChatDialog::OnSaveSetUp(wxCommandEvent&) {
    // The bots, rules and human from the conversation; the rest as the window runs it.
    ConversationFile file = SetUpOf(m_conversation);
    file.m_order = kSpeakingOrders[m_order];
    file.m_opening = m_settings.m_opening.value_or(kFirstMessage);
    file.m_interval = m_settings.m_turnInterval;
    if (m_settings.m_jitter.count() > 0) file.m_jitter = m_settings.m_jitter;
    file.m_timeLimit = m_settings.m_botTimeLimit;
    file.m_seed = m_settings.m_seed;
    if (!file.m_humanName && !m_settings.m_humanName.empty()) {
        file.m_humanName = m_settings.m_humanName;
    }
    ExportDocument([text = ConversationFileText(file)](const std::string&) { return text; },
                   [this] { return m_dialogs.AskSetUpPath(); }, m_dialogs);
}

void CChatDialog::OnCopy(wxCommandEvent&) {
    m_transcriptView->Copy();
}

void CChatDialog::OnSelectAll(wxCommandEvent&) {
    m_transcriptView->SelectAll();
}

void CChatDialog::OnBots(wxCommandEvent&) {
    if (m_botsWindow == nullptr) {
        m_botsWindow =
            new CBotsWindow(this, m_conversation, m_dialogs, m_settings.m_autosaveFolder);
    }
    m_botsWindow->Update();
    m_botsWindow->Show();
    m_botsWindow->Raise();
}

void CChatDialog::OnSpeakingOrder(wxCommandEvent& event) {
    const auto order = static_cast<std::size_t>(event.GetId() - kFirstOrderId);
    // Chosen again, an order goes on as it was (a pooled round is not restarted).
    if (order == m_order) return;
    m_order = order;
    m_conversation.SetSpeakingOrder(MakeSpeakingOrder(kSpeakingOrders[order]));
}

void CChatDialog::OnStopRules(wxCommandEvent&) {
    if (std::optional<StopRules> rules = AskStopRules(this, m_conversation.Rules())) {
        m_conversation.SetRules(std::move(*rules));
    }
}

void CChatDialog::OnJoin(wxCommandEvent&) {
    if (m_entry != nullptr && m_entry->IsShown()) {
        ShowEntry(false);
        return;
    }
    // The user joins once; later the entry only shows again.
    if (!m_human) {
        std::string name = m_settings.m_humanName;
        if (name.empty()) {
            const std::string account = AccountName();
            const std::optional<std::string> answer =
                m_dialogs.AskHumanName(account.empty() ? "Human" : account);
            if (!answer) return;  // cancelled: not joined
            name = answer->empty() ? "Human" : *answer;
        }
        m_human = m_conversation.JoinHuman(name).m_id;
        if (m_botsWindow != nullptr) m_botsWindow->Update();
    }
    ShowEntry(true);
}

void CChatDialog::ShowEntry(bool show) {
    if (m_entry == nullptr) {
        m_entry = new wxTextCtrl(this, kEntryId);
        m_entry->SetHint("Say something, Enter to send");
        // Between the view and the buttons, in the layout as in the tab order.
        m_entry->MoveAfterInTabOrder(m_transcriptView);
        AllowCompactSize(*m_entry);
        SetAccessibleName(*m_entry, "Your line in the conversation");
    }
    m_entry->Show(show);
    PlaceControls();
    if (show) {
        m_entry->SetFocus();
    } else {
        m_transcriptView->SetFocus();
    }
}

bool CChatDialog::OnEntryKey(const wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE) {
        // An empty entry leaves Escape to close the window.
        if (m_entry->IsEmpty()) return false;
        m_entry->Clear();
        return true;
    }
    const int modifiers = event.GetModifiers();
    if ((key != WXK_RETURN && key != WXK_NUMPAD_ENTER) ||
        (modifiers != wxMOD_NONE && modifiers != wxMOD_CONTROL))
        return false;
    const std::string text = m_entry->GetValue().utf8_string();
    if (text.empty()) return true;  // nothing to say
    m_entry->Clear();
    // An interruption stops the bot in flight, as Exit pressed twice does;
    // its turn adds no line.
    if (m_conversation.Say(*m_human, text, modifiers == wxMOD_CONTROL) ==
        SchedulerAction::kCancelTurn)
        m_runner.StopTurn();
    ShowState();
    return true;
}

void CChatDialog::OnManual(wxCommandEvent&) {
    m_dialogs.OpenManual();
}

void CChatDialog::OnAbout(wxCommandEvent&) {
    m_dialogs.ShowAboutBox();
}

void CChatDialog::OnCharHook(wxKeyEvent& event) {
    const bool in_entry = m_entry != nullptr && m_entry->HasFocus();
    if (in_entry && OnEntryKey(event)) return;
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE) {
        Close();
        return;
    }
    if (key == WXK_WINDOWS_MENU || (key == WXK_F10 && event.GetModifiers() == wxMOD_SHIFT)) {
        wxContextMenuEvent menu(wxEVT_CONTEXT_MENU, kViewId, wxDefaultPosition);
        OnContextMenu(menu);
        return;
    }
    if (event.GetModifiers() == wxMOD_CONTROL) {
        static constexpr struct {
            int m_key;
            int m_command;
        } kShortcuts[] = {{'P', kPauseId}, {'S', kSaveNowId}, {'B', kBotsId},
                          {'J', kJoinId},  {'C', wxID_COPY},  {'A', wxID_SELECTALL}};
        for (const auto& shortcut : kShortcuts) {
            if (key != shortcut.m_key) continue;
            // In the entry, Copy and Select All are the entry's own.
            if (in_entry &&
                (shortcut.m_command == wxID_COPY || shortcut.m_command == wxID_SELECTALL))
                break;
            Command(shortcut.m_command);
            return;
        }
    }
    event.Skip();
}

void CChatDialog::OnClose(wxCloseEvent&) {
    ShutDown();
    // A modal box (About, a question) may run its loop inside the window's:
    // the window's loop then ends once that box has closed.
    if (m_eventLoop != nullptr) m_eventLoop->ScheduleExit();
}

void CChatDialog::ShutDown() {
    m_turnTimer.Stop();
    Do(m_conversation.OnClose());
    // Closed any way but Exit; after Exit this tells no one again. Told
    // here, before the observers (the log among them) go with the window.
    m_conversation.Finish(EndReason::kClose, "the window was closed");
}

}  // namespace jabbery
