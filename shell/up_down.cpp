// SPDX-License-Identifier: MIT
#include "shell/up_down.h"

#include <wx/dcclient.h>
#include <wx/renderer.h>
#include <wx/settings.h>
#include <wx/spinbutt.h>

#include <algorithm>

namespace jabbery {
namespace {

// A held arrow steps again after this delay, then at this interval.
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 80;

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CUpDown, wxControl)
    EVT_PAINT(CUpDown::OnPaint)
    EVT_LEFT_DOWN(CUpDown::OnMouseDown)
    EVT_LEFT_DCLICK(CUpDown::OnMouseDown)
    EVT_LEFT_UP(CUpDown::OnMouseUp)
    EVT_MOUSE_CAPTURE_LOST(CUpDown::OnCaptureLost)
    EVT_KEY_DOWN(CUpDown::OnKeyDown)
    EVT_TIMER(wxID_ANY, CUpDown::OnRepeat)
    EVT_SET_FOCUS(CUpDown::OnFocus)
    EVT_KILL_FOCUS(CUpDown::OnFocus)
wxEND_EVENT_TABLE();
// clang-format on

CUpDown::CUpDown(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxControl(parent, id, pos, size, wxBORDER_NONE | wxWANTS_CHARS), m_repeat(this) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetInitialSize(size);
}

void CUpDown::SetRange(int lowest, int highest) {
    m_lowest = lowest;
    m_highest = highest;
    m_value = std::clamp(m_value, m_lowest, m_highest);
}

void CUpDown::SetValue(int value) {
    m_value = std::clamp(value, m_lowest, m_highest);
}

void CUpDown::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
    dc.Clear();
    const wxSize size = GetClientSize();
    const int half = size.y / 2;
    wxRendererNative& renderer = wxRendererNative::Get();
    const wxColour arrow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT);
    dc.SetBrush(wxBrush(arrow));
    dc.SetPen(wxPen(arrow));
    for (int direction : {1, -1}) {
        const wxRect button(0, direction > 0 ? 0 : half, size.x,
                            direction > 0 ? half : size.y - half);
        renderer.DrawPushButton(this, dc, button,
                                m_pressed == direction ? int(wxCONTROL_PRESSED) : 0);
        // A small triangle, pointing up or down, in the button's middle.
        const int w = std::max(2, std::min(button.width - 4, button.height) / 2);
        const wxPoint centre = button.GetPosition() + button.GetSize() / 2;
        const int tip = direction > 0 ? -w / 2 : w / 2;
        const wxPoint points[] = {{centre.x - w / 2, centre.y - tip},
                                  {centre.x + w / 2, centre.y - tip},
                                  {centre.x, centre.y + tip}};
        dc.DrawPolygon(3, points);
    }
    if (HasFocus()) renderer.DrawFocusRect(this, dc, wxRect(size).Deflate(1));
}

void CUpDown::OnMouseDown(wxMouseEvent& event) {
    SetFocus();
    m_pressed = event.GetY() < GetClientSize().y / 2 ? 1 : -1;
    // Held down, the arrow goes on stepping until the button is released.
    if (!HasCapture()) CaptureMouse();
    Step(m_pressed);
    m_repeat.StartOnce(kFirstRepeatMs);
    Refresh();
}

void CUpDown::OnMouseUp(wxMouseEvent&) {
    StopPressing();
}

void CUpDown::OnCaptureLost(wxMouseCaptureLostEvent&) {
    StopPressing();
}

void CUpDown::StopPressing() {
    m_repeat.Stop();
    m_pressed = 0;
    if (HasCapture()) ReleaseMouse();
    Refresh();
}

void CUpDown::OnRepeat(wxTimerEvent&) {
    if (m_pressed == 0) return;
    Step(m_pressed);
    m_repeat.StartOnce(kRepeatMs);
}

void CUpDown::OnKeyDown(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_UP || event.GetKeyCode() == WXK_DOWN) {
        Step(event.GetKeyCode() == WXK_UP ? 1 : -1);
        return;
    }
    event.Skip();
}

void CUpDown::OnFocus(wxFocusEvent& event) {
    Refresh();
    event.Skip();
}

void CUpDown::Step(int delta) {
    const int value = std::clamp(m_value + delta, m_lowest, m_highest);
    if (value == m_value) return;
    m_value = value;
    wxSpinEvent spin(wxEVT_SPIN, GetId());
    spin.SetEventObject(this);
    spin.SetPosition(m_value);
    ProcessWindowEvent(spin);
}

}  // namespace jabbery
