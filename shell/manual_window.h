// SPDX-License-Identifier: MIT
#pragma once

#include <wx/dialog.h>

#include <string>

class wxHtmlLinkEvent;
class wxHtmlWindow;

namespace jabbery {

// The manual, shown by the program itself (an HTML window), so reading it
// needs no other program; a button opens it in the web browser as well.
// Not modal: the conversation goes on, and the window closes by itself
// with Close, Escape or the close box.
class CManualWindow : public wxDialog {
  public:
    CManualWindow(wxWindow* parent, const std::string& manual_path);

    wxHtmlWindow* Page() const { return m_page; }

  private:
    void OnBrowser(wxCommandEvent& event);
    void OnClose(wxCommandEvent& event);
    void OnLink(wxHtmlLinkEvent& event);

    std::string m_path;
    wxHtmlWindow* m_page = nullptr;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace jabbery
