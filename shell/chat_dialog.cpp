#include "shell/chat_dialog.h"

#include <wx/button.h>
#include <wx/display.h>

#include <algorithm>

#include "shell/dialog_units.h"
#include "shell/program_icons.h"
#include "shell/rtf_view.h"
#include "shell/wx_user_dialogs.h"
#include "values/product.h"

namespace jabbery {
namespace {

// The template's client size, and the smallest the window may be made.
constexpr int kClientWidth = 320;
constexpr int kClientHeight = 200;
constexpr int kMinClientWidth = 200;
constexpr int kMinClientHeight = 100;

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CChatDialog, wxDialog)
    EVT_TIMER(kTurnTimerId, CChatDialog::OnTimer)
    EVT_BUTTON(CChatDialog::kExitId, CChatDialog::OnExit)
    EVT_BUTTON(CChatDialog::kManualId, CChatDialog::OnManual)
    EVT_BUTTON(CChatDialog::kAboutId, CChatDialog::OnAbout)
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
      m_dialogs(dialogs ? *dialogs : *m_ownDialogs, m_settings.m_botFolders),
      m_runner(m_settings.m_botTimeLimit) {
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
    // The view keeps its top left corner and takes all the growth.
    const DialogRect view = DialogUnits(this, 7, 7, 306, 157);
    m_transcriptView->SetSize(wxRect(view.m_position, view.m_size + extra));
    place_button(m_exitButton, 253, 2);
    place_button(m_manualButton, 7, 0);
    place_button(m_aboutButton, 130, 1);
}

void CChatDialog::FitOnScreen() {
    SetClientSizeInDialogUnits(this, kClientWidth, kClientHeight);
    const wxRect area = wxDisplay(this).GetClientArea();
    wxSize size = GetSize();
    size.DecTo(area.GetSize());
    SetSize(size);
    CentreOnScreen();
    // Centring can still leave the title bar above the top of a small work area.
    wxRect rect = GetRect();
    rect.x = std::clamp(rect.x, area.x, std::max(area.x, area.GetRight() - rect.width + 1));
    rect.y = std::clamp(rect.y, area.y, std::max(area.y, area.GetBottom() - rect.height + 1));
    Move(rect.GetPosition());
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
