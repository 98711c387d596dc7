// SPDX-License-Identifier: MIT
#pragma once

#include <wx/control.h>
#include <wx/timer.h>

namespace jabbery {

// A small vertical up-down control: two native-looking buttons stacked, the
// upper with an up arrow, the lower with a down arrow, as narrow as the
// layout asks (GTK's own spin button is a wide horizontal "- +" pair).
// Clicking or holding an arrow, or the Up and Down keys while it has the
// focus, step the value within its range; each change sends wxEVT_SPIN
// with the new position.
class CUpDown : public wxControl {
  public:
    CUpDown(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);

    void SetRange(int lowest, int highest);
    void SetValue(int value);
    int GetValue() const { return m_value; }
    int GetMin() const { return m_lowest; }
    int GetMax() const { return m_highest; }

  private:
    void OnPaint(wxPaintEvent& event);
    void OnMouseDown(wxMouseEvent& event);
    void OnMouseUp(wxMouseEvent& event);
    void OnCaptureLost(wxMouseCaptureLostEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnRepeat(wxTimerEvent& event);
    void OnFocus(wxFocusEvent& event);

    // Moves the value by `delta` within the range, and says so when it changed.
    void Step(int delta);
    void StopPressing();

    int m_lowest = 0;
    int m_highest = 100;
    int m_value = 0;
    int m_pressed = 0;  // +1 up arrow held, -1 down arrow held, 0 none
    wxTimer m_repeat;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace jabbery
