// SPDX-License-Identifier: MIT
#include "shell/rtf_view.h"

#include <algorithm>

#include "shell/native_view.h"
#include "shell/scroll_bar.h"
#include "transcript/transcript.h"
#include "values/readable_colour.h"

namespace jabbery {

namespace {

// Words wrap at spaces, and a word longer than a line breaks anywhere, so
// the view never scrolls sideways and every speaker's label stays in sight.
constexpr long kViewStyle = wxTE_MULTILINE | wxTE_READONLY | wxTE_RICH2 | wxTE_BESTWRAP |
                            wxVSCROLL | wxTE_NOHIDESEL | wxALWAYS_SHOW_SB;

// The document asks for 10-point Arial; the desktop's sans-serif face stands in.
wxFont TranscriptFont(bool bold) {
    return wxFont(wxFontInfo(10).Family(wxFONTFAMILY_SWISS).Bold(bold));
}

// A failed turn's grey, 4.95:1 against the white page.
const wxColour kFailedGrey(0x70, 0x70, 0x70);

// What a bold run sets of its font: its face, size and weight.
constexpr int kBoldFlags = wxTEXT_ATTR_FONT_FACE | wxTEXT_ATTR_FONT_FAMILY |
                           wxTEXT_ATTR_FONT_POINT_SIZE | wxTEXT_ATTR_FONT_WEIGHT;

// A line longer than any turn's: the longest reply and a bot's name.
constexpr long kLongestLine = 4096;

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(RtfView, wxTextCtrl)
    EVT_SIZE(RtfView::OnSize)
    EVT_MOUSEWHEEL(RtfView::OnMouseEvent)
    EVT_LEFT_DOWN(RtfView::OnMouseEvent)
    EVT_KEY_DOWN(RtfView::OnKeyDown)
wxEND_EVENT_TABLE();
// clang-format on

RtfView::RtfView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size)
    : wxTextCtrl(parent, id, wxString(), pos, size, kViewStyle),
      m_reader(kRtfTrailer),
      m_regularFont(TranscriptFont(false)),
      m_boldFont(TranscriptFont(true)) {
    SetFont(m_regularFont);
    // The transcript's colours are chosen for a white page (bot 1 is
    // black): the page stays white in a dark theme; the window around it
    // follows the theme.
    SetBackgroundColour(wxColour(kWhitePage.m_red, kWhitePage.m_green, kWhitePage.m_blue));
    SetForegroundColour(*wxBLACK);
    KeepVerticalScrollBarShown(*this);
    WatchVerticalScrollBar(*this, [this] { m_userScrolled = true; });
    HideCaret(*this);
    SetAccessibleName(*this, "Conversation transcript");
}

RtfView::~RtfView() {
    // Going, the control takes each of its text tags off the whole text,
    // which with 100,000 lines briefly needs some 20 MB more; taking the
    // text away first spares that.
    Clear();
}

void RtfView::OnSize(wxSizeEvent& event) {
    event.Skip();
    // After the control has laid its text out for the new size.
    if (m_following) CallAfter([this] { ShowPosition(GetLastPosition()); });
}

void RtfView::OnMouseEvent(wxMouseEvent& event) {
    event.Skip();
    m_userScrolled = true;
}

void RtfView::OnKeyDown(wxKeyEvent& event) {
    event.Skip();
    m_userScrolled = true;
}

bool RtfView::Following() {
    if (m_userScrolled) m_following = IsScrolledToBottom();
    m_userScrolled = false;
    return m_following;
}

void RtfView::Append(std::string_view rtf) {
    const rtf::DocumentUpdate update = m_reader.Append(rtf);
    if (update.m_removeChars == 0 && update.m_runs.empty()) return;

    const bool follow = Following();
    // No freezing here: thawing lays out the whole text again, which is
    // what appending is meant to avoid.
    long from = 0;
    long to = 0;
    GetSelection(&from, &to);
    const long old_last = GetLastPosition();
    const long kept = old_last - static_cast<long>(update.m_removeChars);
    if (kept < old_last) Remove(kept, old_last);
    AppendRuns(update.m_runs);
    // A caret left at the end stays there; the user's own selection or
    // caret elsewhere is put back.
    if (from != old_last || to != old_last) SetSelection(std::min(from, kept), std::min(to, kept));
    if (follow) ShowPosition(GetLastPosition());
}

void RtfView::MarkLastLineFailed(const std::string& reason) {
    const bool follow = Following();
    long from = 0;
    long to = 0;
    GetSelection(&from, &to);
    // The line's own text ends before the final line break.
    long line_end = GetLastPosition();
    if (line_end > 0 && GetRange(line_end - 1, line_end) == "\n") --line_end;
    const long search_from = std::max(0L, line_end - kLongestLine);
    const long line_break = static_cast<long>(GetRange(search_from, line_end).rfind('\n'));
    const long line_start = line_break == wxNOT_FOUND ? search_from : search_from + line_break + 1;
    wxTextAttr marked(kFailedGrey);
    marked.SetFontStyle(wxFONTSTYLE_ITALIC);
    SetStyle(line_start, line_end, marked);
    SetSelection(line_end, line_end);
    SetDefaultStyle(wxTextAttr(kFailedGrey, wxNullColour, m_regularFont.Italic()));
    WriteText(" (" + wxString::FromUTF8(reason) + ")");
    if (from != to || from < line_end) SetSelection(from, to);
    if (follow) ShowPosition(GetLastPosition());
}

bool RtfView::IsScrolledToBottom() const {
    // A text control has no "at bottom" query of its own; the vertical
    // scroll bar tells it (with a pixel of slack for rounding).
    const int range = GetScrollRange(wxVERTICAL);
    return range <= 0 || GetScrollPos(wxVERTICAL) + GetScrollThumb(wxVERTICAL) >= range - 1;
}

void RtfView::AppendRuns(const std::vector<rtf::StyledRun>& runs) {
    // AppendText would scroll to the end on GTK even when the user has
    // scrolled up; a caret placed with SetSelection and WriteText do not.
    long last = GetLastPosition();
    SetSelection(last, last);
    // The text goes in unstyled and is styled after: SetDefaultStyle would
    // fill every attribute left unset from the control's own font.
    SetDefaultStyle(wxTextAttr());
    for (const auto& run : runs) {
        WriteText(wxString::FromUTF8(run.m_text.data(), run.m_text.size()));
        const long end = GetLastPosition();
        // Some of the document's colours are too light to read on the
        // page; the view shows them darker (the document keeps them).
        const BotColour shown =
            ReadableOn({run.m_colour.r, run.m_colour.g, run.m_colour.b}, kWhitePage);
        // Every attribute set becomes a text tag, toggled on and off around
        // each run, and the toggles are most of what a line costs the
        // control: only what differs from the control's own black regular
        // text is set, and bold sets no underline or strike-through.
        wxTextAttr style;
        const wxColour colour(shown.m_red, shown.m_green, shown.m_blue);
        if (colour != *wxBLACK) style.SetTextColour(colour);
        if (run.m_bold) style.SetFont(m_boldFont, kBoldFlags);
        SetStyle(last, end, style);
        last = end;
    }
}

}  // namespace jabbery
