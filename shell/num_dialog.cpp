// SPDX-License-Identifier: MIT
#include "shell/num_dialog.h"

#include <wx/button.h>
#include <wx/msgdlg.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <optional>

#include "engine/bot_descriptor.h"
#include "shell/dialog_units.h"
#include "shell/message_box_caption.h"
#include "shell/native_view.h"
#include "shell/program_icons.h"
#include "shell/up_down.h"

namespace jabbery {
namespace {

// The up-down control's range and start; the range is the bot count's.
constexpr int kSpinLowest = 0;
constexpr int kSpinHighest = kMaxBots;
constexpr int kFirstCount = 2;
// The up-down's width in dialog units.
constexpr int kUpDownWidth = 11;

// The edit's text as a count, or no value when it is no number.
std::optional<long long> ReadCount(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    const std::string digits =
        first == std::string::npos ? "" : text.substr(first, last - first + 1);
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error == std::errc::invalid_argument ||
        end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    // A number too long for the type is still a number, only far too big.
    if (error == std::errc::result_out_of_range) return static_cast<long long>(INT_MAX);
    return value;
}

}  // namespace

std::string CountRefusal(const std::string& text) {
    const std::optional<long long> count = ReadCount(text);
    if (!count) return "Please enter the number of bots to link, from " + BotCountRange() + ".";
    const int bots = static_cast<int>(std::clamp<long long>(*count, INT_MIN, INT_MAX));
    return IsValidBotCount(bots) ? std::string() : BotCountError(bots);
}

// clang-format off
wxBEGIN_EVENT_TABLE(CNumDialog, wxDialog)
    EVT_BUTTON(wxID_OK, CNumDialog::OnOk)
    EVT_BUTTON(CNumDialog::kManualId, CNumDialog::OnManual)
    EVT_SPIN(CNumDialog::kSpinId, CNumDialog::OnSpin)
    EVT_TEXT(CNumDialog::kEditId, CNumDialog::OnEditText)
    EVT_CHAR_HOOK(CNumDialog::OnCharHook)
    EVT_CLOSE(CNumDialog::OnClose)
wxEND_EVENT_TABLE();
// clang-format on

CNumDialog::CNumDialog(wxWindow* parent, std::function<void()> open_manual)
    : wxDialog(parent, wxID_ANY, "Number of bots", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_openManual(std::move(open_manual)) {
    SetClientSizeInDialogUnits(this, 186, 90);
    // It shows before the main window, so it carries the program's icon.
    SetIcons(ProgramIcons());

    // Created in the layout's order, which is also the tab order.
    DialogRect place = DialogUnits(this, 129, 69, 50, 14);
    auto* ok = new wxButton(this, wxID_OK, "OK", place.m_position, place.m_size);
    place = DialogUnits(this, 15, 14, 156, 14);
    new wxStaticText(this, wxID_ANY, "Please enter the number of bots to link:", place.m_position,
                     place.m_size, wxST_NO_AUTORESIZE);
    // The edit's 40 x 12 units hold the up-down as its buddy: the edit
    // narrowed by the up-down's 11 units, the up-down against its right edge.
    place = DialogUnits(this, 59, 33, 40 - kUpDownWidth, 12);
    m_countEdit = new wxTextCtrl(this, kEditId, wxString(), place.m_position, place.m_size, 0,
                                 wxTextValidator(wxFILTER_DIGITS));
    AllowCompactSize(*m_countEdit);
    place = DialogUnits(this, 59 + 40 - kUpDownWidth, 33, kUpDownWidth, 12);
    m_countSpin = new CUpDown(this, kSpinId, place.m_position, place.m_size);
    // The counts OK takes, beside the edit and in its tooltip.
    const wxString range = "(" + BotCountRange() + ")";
    place = DialogUnits(this, 103, 35, 68, 8);
    m_rangeLabel =
        new wxStaticText(this, wxID_ANY, range, place.m_position, place.m_size, wxST_NO_AUTORESIZE);
    m_countEdit->SetToolTip("The number of bots to link, from " + BotCountRange());
    place = DialogUnits(this, 7, 69, 50, 14);
    auto* manual = new wxButton(this, kManualId, "View manual", place.m_position, place.m_size);
    AllowCompactSize(*manual);
    AllowCompactSize(*ok);

    // Screen readers have no label beside the edit to go by.
    SetAccessibleName(*m_countEdit, "Number of bots");
    SetAccessibleName(*m_countSpin, "Change the number of bots");

    m_countSpin->SetRange(kSpinLowest, kSpinHighest);
    m_countSpin->SetValue(kFirstCount);
    m_countEdit->ChangeValue(wxString::Format("%d", kFirstCount));
    ok->SetDefault();
    ok->SetFocus();
}

int CNumDialog::DoModal() {
    CentreOnScreen();
    return ShowModal();
}

void CNumDialog::OnOk(wxCommandEvent&) {
    const std::string text = m_countEdit->GetValue().ToStdString();
    const std::string refusal = CountRefusal(text);
    if (!refusal.empty()) {
        // The box belongs to this dialog, which stays open for another try.
        wxMessageBox(refusal, MessageBoxCaption(), wxOK | wxICON_ERROR, this);
        m_countEdit->SetFocus();
        m_countEdit->SelectAll();
        return;
    }
    m_count = static_cast<int>(*ReadCount(text));
    EndModal(wxID_OK);
}

void CNumDialog::OnManual(wxCommandEvent&) {
    if (m_openManual) m_openManual();
}

void CNumDialog::OnSpin(wxSpinEvent& event) {
    m_countEdit->ChangeValue(wxString::Format("%d", event.GetPosition()));
}

void CNumDialog::OnEditText(wxCommandEvent&) {
    // A typed count moves the up-down too, so the arrows go on from it.
    const std::optional<long long> count = ReadCount(m_countEdit->GetValue().ToStdString());
    if (count) {
        m_countSpin->SetValue(
            static_cast<int>(std::clamp<long long>(*count, kSpinLowest, kSpinHighest)));
    }
}

void CNumDialog::Step(int delta) {
    const int value = std::clamp(m_countSpin->GetValue() + delta, kSpinLowest, kSpinHighest);
    m_countSpin->SetValue(value);
    m_countEdit->ChangeValue(wxString::Format("%d", value));
    m_countEdit->SetInsertionPointEnd();
}

void CNumDialog::OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE) {
        EndModal(wxID_CANCEL);
        return;
    }
    // OK has the focus at first, where a typed count would be lost and Enter
    // would take the 2 shown: a digit typed outside the edit starts a new
    // count in it, so the count typed is the one OK checks.
    const wxChar digit = key >= WXK_NUMPAD0 && key <= WXK_NUMPAD9 ? wxChar('0' + key - WXK_NUMPAD0)
                                                                  : event.GetUnicodeKey();
    if (FindFocus() != m_countEdit && !event.HasAnyModifiers() && digit >= '0' && digit <= '9') {
        m_countEdit->SetFocus();
        m_countEdit->SetValue(wxString(digit));
        m_countEdit->SetInsertionPointEnd();
        return;
    }
    // The arrow keys move the count while the edit has the focus.
    if (FindFocus() == m_countEdit && (key == WXK_UP || key == WXK_DOWN)) {
        Step(key == WXK_UP ? 1 : -1);
        return;
    }
    event.Skip();
}

void CNumDialog::OnClose(wxCloseEvent&) {
    // The dialog has no Cancel button; without this the framework would
    // take the close box for OK.
    EndModal(wxID_CANCEL);
}

}  // namespace jabbery
