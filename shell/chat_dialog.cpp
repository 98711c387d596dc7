#include "shell/chat_dialog.h"

#include <wx/button.h>

#include "shell/dialog_units.h"
#include "shell/program_icons.h"
#include "shell/rtf_view.h"
#include "shell/wx_user_dialogs.h"
#include "values/product.h"

namespace jabbery {

// clang-format off
wxBEGIN_EVENT_TABLE(CChatDialog, wxDialog)
    EVT_TIMER(kTurnTimerId, CChatDialog::OnTimer)
    EVT_BUTTON(CChatDialog::kExitId, CChatDialog::OnExit)
    EVT_BUTTON(CChatDialog::kManualId, CChatDialog::OnManual)
    EVT_BUTTON(CChatDialog::kAboutId, CChatDialog::OnAbout)
    EVT_CHAR_HOOK(CChatDialog::OnCharHook)
    EVT_CLOSE(CChatDialog::OnClose)
wxEND_EVENT_TABLE();
// clang-format on

CChatDialog::CChatDialog(wxWindow* parent, ChatSettings settings, UserDialogs* dialogs)
    : wxDialog(parent, wxID_ANY, ProgramTitle(), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxMINIMIZE_BOX),
      m_turnTimer(this, kTurnTimerId),
      m_settings(std::move(settings)),
      m_ownDialogs(dialogs ? nullptr : std::make_unique<WxUserDialogs>(this)),
      m_dialogs(dialogs ? *dialogs : *m_ownDialogs, m_settings.m_botFolders),
      m_runner(m_settings.m_botTimeLimit) {
    SetClientSizeInDialogUnits(this, 320, 200);

    // Created in the layout's order, which is also the tab order.
    DialogRect place = DialogUnits(this, 7, 7, 306, 157);
    m_transcriptView = new RtfView(this, kViewId, place.m_position, place.m_size);
    place = DialogUnits(this, 253, 172, 60, 21);
    new wxButton(this, kExitId, "Exit", place.m_position, place.m_size);
    place = DialogUnits(this, 7, 172, 60, 21);
    new wxButton(this, kManualId, "Manual", place.m_position, place.m_size);
    place = DialogUnits(this, 130, 172, 60, 21);
    new wxButton(this, kAboutId, "About", place.m_position, place.m_size);
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
    CentreOnScreen();
    return ShowModal();
}

bool CChatDialog::OnInitDialog() {
    SetIcons(ProgramIcons());

    const std::optional<int> count = m_dialogs.AskBotCount();
    if (!count) {
        // The count dialog was closed: the program ends, nothing more asked.
        RequestClose();
        return true;
    }
    m_state.m_botCount = *count;
    m_state.ClearTranscripts();
    if (!LoadRoster(m_state, m_state, m_dialogs, *this, m_state.m_botCount)) return true;
    StartConversation(m_state, *this, *this);
    m_scheduler.Start();
    m_transcriptView->SetFocus();
    return true;
}

void CChatDialog::RequestClose() {
    m_closeRequested = true;
    // Closed from the event loop, once the handler that asked has returned.
    if (IsModal()) CallAfter([this] { Close(); });
}

void CChatDialog::StartTurnTimer() {
    m_turnTimer.Start(static_cast<int>(m_settings.m_turnInterval.count()));
}

void CChatDialog::StopTurnTimer() {
    m_turnTimer.Stop();
}

void CChatDialog::ShowDocument(const std::string& rtf_document, std::size_t unchanged_prefix) {
    m_transcriptView->ShowDocument(rtf_document, unchanged_prefix);
}

void CChatDialog::OnTimer(wxTimerEvent&) {
    Do(m_scheduler.OnTick());
}

void CChatDialog::OnExit(wxCommandEvent&) {
    Do(m_scheduler.OnExit());
}

void CChatDialog::Do(SchedulerAction action) {
    switch (action) {
        case SchedulerAction::kStartTurn:
            StartTurn();
            break;
        case SchedulerAction::kRunExitSequence:
            StopConversation(m_state, m_dialogs, *this);
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
    m_runner.Start(m_state.Profile(m_state.m_current), m_state.m_lastMessage,
                   [this](ExchangeResult result) {
                       // On the worker: the result is applied on the window's
                       // thread, which alone touches the conversation.
                       CallAfter([this, result = std::move(result)] { OnTurnDone(result); });
                   });
}

void CChatDialog::OnTurnDone(const ExchangeResult& result) {
    const TurnFollowUp follow_up = m_scheduler.OnTurnFinished();
    if (follow_up.m_record) FinishTurn(m_state, *this, result);
    Do(follow_up.m_next);
}

void CChatDialog::OnManual(wxCommandEvent&) {
    m_dialogs.OpenManual();
}

void CChatDialog::OnAbout(wxCommandEvent&) {
    m_dialogs.ShowAboutBox();
}

void CChatDialog::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE) {
        Close();
        return;
    }
    event.Skip();
}

void CChatDialog::OnClose(wxCloseEvent&) {
    ShutDown();
    if (IsModal()) EndModal(wxID_CANCEL);
}

void CChatDialog::ShutDown() {
    m_turnTimer.Stop();
    Do(m_scheduler.OnClose());
}

}  // namespace jabbery
