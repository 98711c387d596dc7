// SPDX-License-Identifier: MIT
#pragma once

#include <wx/font.h>
#include <wx/textctrl.h>

#include <string>
#include <string_view>
#include <vector>

#include "rtf/rtf_incremental.h"

namespace jabbery {

// The transcript view: a read-only multi-line text control that shows an RTF
// document as coloured, partly bold text on a white page, each colour
// darkened as far as it must be to read there (ReadableOn). The document is
// handed over in parts and read as it grows (IncrementalRtfReader), so a
// new turn costs the same however long the conversation is, and the view
// keeps no copy of the document.
class RtfView : public wxTextCtrl {
  public:
    RtfView(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size);
    ~RtfView() override;

    // Shows `rtf`, the next part of the document: first its header
    // (kRtfHeader) and the body so far, then each line as the transcript
    // adds it to the body. What is shown is always what the whole document
    // (with its trailer, kRtfTrailer) shows. Follows the newest line unless
    // the user has scrolled up.
    void Append(std::string_view rtf);

    // Shows the last line as a failed turn's: grey and italic, followed by
    // `reason`. Only the view is marked; the document is not changed.
    void MarkLastLineFailed(const std::string& reason);

  private:
    bool IsScrolledToBottom() const;
    // A new size lays the text out anew; a view that followed the newest
    // line is put back at it, so the next turn still finds it there.
    void OnSize(wxSizeEvent& event);
    // The user may scroll: whether the view follows is read again at the
    // next update, once the control has done scrolling.
    // (the wheel; a press, which may start a selection that scrolls)
    void OnMouseEvent(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    // Whether the view follows the newest line: as before unless the user
    // may have scrolled since the last update, then whether it is at the
    // bottom now. Read from the scroll bar only then, as the control lays
    // long texts out bit by bit after a resize and its bar may lag behind.
    bool Following();
    void AppendRuns(const std::vector<rtf::StyledRun>& runs);

    rtf::IncrementalRtfReader m_reader;
    wxFont m_regularFont;
    wxFont m_boldFont;
    bool m_following = true;      // at the newest line when last looked
    bool m_userScrolled = false;  // the user may have scrolled since

    wxDECLARE_EVENT_TABLE();
};

}  // namespace jabbery
