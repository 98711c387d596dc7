// SPDX-License-Identifier: MIT
#include "shell/manual_window.h"

#include <wx/button.h>
#include <wx/filename.h>
#include <wx/html/htmlwin.h>
#include <wx/sizer.h>

#include "shell/open_elsewhere.h"
#include "shell/wx_text.h"

namespace jabbery {
namespace {

constexpr int kBrowserId = 1301;

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CManualWindow, wxDialog)
    EVT_BUTTON(kBrowserId, CManualWindow::OnBrowser)
    EVT_BUTTON(wxID_CLOSE, CManualWindow::OnClose)
    EVT_HTML_LINK_CLICKED(wxID_ANY, CManualWindow::OnLink)
wxEND_EVENT_TABLE();
// clang-format on

CManualWindow::CManualWindow(wxWindow* parent, const std::string& manual_path)
    : wxDialog(parent, wxID_ANY, "Jabbery manual", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMAXIMIZE_BOX | wxMINIMIZE_BOX),
      m_path(manual_path) {
    m_page =
        new wxHtmlWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxHW_SCROLLBAR_AUTO);
    m_page->LoadFile(wxFileName(PathToWx(manual_path)));
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, kBrowserId, "Open in web &browser"));
    buttons->AddStretchSpacer();
    auto* close = new wxButton(this, wxID_CLOSE, "&Close");
    buttons->Add(close);
    auto* layout = new wxBoxSizer(wxVERTICAL);
    layout->Add(m_page, wxSizerFlags(1).Expand());
    layout->Add(buttons, wxSizerFlags().Expand().Border());
    SetSizer(layout);
    SetEscapeId(wxID_CLOSE);
    SetSize(ConvertDialogToPixels(wxSize(340, 300)));
    m_page->SetFocus();
}

void CManualWindow::OnBrowser(wxCommandEvent&) {
    OpenInBrowser(this, wxFileName::FileNameToURL(wxFileName(PathToWx(m_path))));
}

void CManualWindow::OnClose(wxCommandEvent&) {
    // Not modal: closing ends this window for good.
    Destroy();
}

void CManualWindow::OnLink(wxHtmlLinkEvent& event) {
    const wxString href = event.GetLinkInfo().GetHref();
    // Places within the manual open here, the rest of the web in the browser.
    if (href.StartsWith("http:") || href.StartsWith("https:") || href.StartsWith("mailto:")) {
        OpenInBrowser(this, href);
    } else {
        event.Skip();
    }
}

}  // namespace jabbery
