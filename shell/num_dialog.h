// SPDX-License-Identifier: MIT
#pragma once

#include <wx/dialog.h>

#include <functional>
#include <string>

#include "shell/up_down.h"

class wxSpinEvent;
class wxStaticText;
class wxTextCtrl;

namespace jabbery {

// Why the count typed as `text` is refused, or empty text when it is a
// count from 2 to 15.
std::string CountRefusal(const std::string& text);

// The bot-count dialog: an edit (1001) with an up-down control (1005) that
// runs from 0 to 15 and starts at 2, the range "(2 to 15)" beside them, OK,
// and "View manual". A digit typed while another control has the focus goes
// into the edit. OK accepts only 2 to 15; any other count is refused with a
// message, left as typed, and the dialog stays open. Escape and the close
// box end it without a count.
class CNumDialog : public wxDialog {
  public:
    static constexpr int kEditId = 1001;
    static constexpr int kSpinId = 1005;
    static constexpr int kManualId = 1006;

    // `open_manual` runs for "View manual"; the dialog stays open.
    CNumDialog(wxWindow* parent, std::function<void()> open_manual);

    // Shows the dialog; wxID_OK when a count was accepted, else wxID_CANCEL.
    int DoModal();

    // The accepted count; 0 unless the dialog ended with OK.
    int GetBotCount() const { return m_count; }

    wxTextCtrl* CountEdit() const { return m_countEdit; }
    CUpDown* CountSpin() const { return m_countSpin; }
    wxStaticText* RangeLabel() const { return m_rangeLabel; }

  private:
    void OnOk(wxCommandEvent& event);
    void OnManual(wxCommandEvent& event);
    void OnSpin(wxSpinEvent& event);
    void OnEditText(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    // Moves the count by `delta`, stopping at the ends of the range.
    void Step(int delta);

    wxTextCtrl* m_countEdit = nullptr;
    int m_count = 0;
    CUpDown* m_countSpin = nullptr;
    wxStaticText* m_rangeLabel = nullptr;
    std::function<void()> m_openManual;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace jabbery
