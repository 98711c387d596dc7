// SPDX-License-Identifier: MIT
#include "shell/bots_window.h"

#include <wx/button.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "engine/bot_table.h"
#include "engine/conversation.h"
#include "shell/dialog_units.h"
#include "shell/open_elsewhere.h"
#include "shell/wx_text.h"
#include "values/bot_colours.h"
#include "values/readable_colour.h"

namespace jabbery {
namespace {

constexpr int kTableId = 1201;
// How many of a failing bot's last output lines are shown.
constexpr std::size_t kTailLines = 8;
constexpr int kSwatchPixels = 12;
// The columns that hold counts and times, which line up on the right.
constexpr std::size_t kFirstNumberColumn = 2;
constexpr std::size_t kLastNumberColumn = 6;
// The name column's widest, in dialog units: a long name is cut there
// rather than push the counts out of sight.
constexpr int kNameColumnWidth = 70;

// The bots' colours as small squares, one image per bot number.
wxImageList* ColourSwatches() {
    auto* swatches = new wxImageList(kSwatchPixels, kSwatchPixels, false, kMaxBots);
    for (const BotColour& colour : kBotColours) {
        wxImage square(kSwatchPixels, kSwatchPixels);
        square.SetRGB(wxRect(0, 0, kSwatchPixels, kSwatchPixels), colour.m_red, colour.m_green,
                      colour.m_blue);
        swatches->Add(wxBitmap(square));
    }
    return swatches;
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CBotsWindow, wxDialog)
    EVT_LIST_ITEM_SELECTED(kTableId, CBotsWindow::OnSelect)
    EVT_BUTTON(CBotsWindow::kOpenFolderId, CBotsWindow::OnOpenFolder)
wxEND_EVENT_TABLE();
// clang-format on

CBotsWindow::CBotsWindow(wxWindow* parent, const Conversation& conversation,
                         const std::string& conversations_folder)
    : wxDialog(parent, wxID_ANY, "Bots", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMAXIMIZE_BOX),
      m_conversation(conversation),
      m_folder(conversations_folder) {
    m_table = new wxListCtrl(this, kTableId, wxDefaultPosition, wxDefaultSize,
                             wxLC_REPORT | wxLC_SINGLE_SEL);
    m_table->AssignImageList(ColourSwatches(), wxIMAGE_LIST_SMALL);
    const std::vector<std::string> headings = BotTableHeadings();
    for (std::size_t i = 0; i < headings.size(); ++i) {
        const bool number = i >= kFirstNumberColumn && i <= kLastNumberColumn;
        m_table->AppendColumn(headings[i], number ? wxLIST_FORMAT_RIGHT : wxLIST_FORMAT_LEFT);
    }
    m_details = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition,
                               ConvertDialogToPixels(wxSize(0, 60)),
                               wxTE_MULTILINE | wxTE_READONLY | wxTE_BESTWRAP);

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    if (!m_folder.empty()) {
        buttons->Add(new wxButton(this, kOpenFolderId, "&Open conversations folder"));
    }
    buttons->AddStretchSpacer();
    buttons->Add(new wxButton(this, wxID_CANCEL, "&Close"));
    auto* layout = new wxBoxSizer(wxVERTICAL);
    layout->Add(m_table, wxSizerFlags(1).Expand().Border());
    layout->Add(m_details, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT));
    layout->Add(buttons, wxSizerFlags().Expand().Border());
    SetSizer(layout);
    Update();
    SetSize(ConvertDialogToPixels(wxSize(420, 200)));
    CentreWithinScreen(this);
}

void CBotsWindow::Update() {
    const std::vector<Participant>& bots = m_conversation.Participants();
    for (int bot = 0; bot < static_cast<int>(bots.size()); ++bot) {
        const Participant& participant = bots[static_cast<std::size_t>(bot)];
        const std::vector<std::string> row = BotTableRow(participant);
        if (bot >= m_table->GetItemCount()) m_table->InsertItem(bot, wxString(), bot);
        for (std::size_t column = 0; column < row.size(); ++column) {
            m_table->SetItem(bot, static_cast<int>(column), ToWxText(row[column]));
        }
        // A bot that has failed stands out in the list, in a red that reads
        // on the list's background, light or dark.
        const bool failed = participant.m_stats.m_lastFailure.has_value();
        const wxColour page = m_table->GetBackgroundColour();
        const BotColour red = ReadableOn({255, 0, 0}, {page.Red(), page.Green(), page.Blue()});
        m_table->SetItemTextColour(
            bot, failed ? wxColour(red.m_red, red.m_green, red.m_blue) : wxNullColour);
    }
    // Each column as wide as its heading or its widest cell; the table
    // scrolls sideways when the window is narrower than that.
    for (int column = 0; column < m_table->GetColumnCount(); ++column) {
        m_table->SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
    }
    const int name_width = ConvertDialogToPixels(wxSize(kNameColumnWidth, 0)).x;
    if (m_table->GetColumnWidth(1) > name_width) m_table->SetColumnWidth(1, name_width);
    ShowDetails();
}

void CBotsWindow::OnSelect(wxListEvent& event) {
    m_selected = event.GetIndex();
    ShowDetails();
}

void CBotsWindow::ShowDetails() {
    // The selected bot, or else the one that failed last.
    const std::vector<Participant>& bots = m_conversation.Participants();
    const Participant* shown =
        m_selected >= 0 && static_cast<std::size_t>(m_selected) < bots.size()
            ? &bots[static_cast<std::size_t>(m_selected)]
            : nullptr;
    for (int latest = 0; const Participant& bot : bots) {
        if (m_selected < 0 && bot.m_stats.m_lastFailure && bot.m_stats.m_lastFailureTurn > latest) {
            latest = bot.m_stats.m_lastFailureTurn;
            shown = &bot;
        }
    }
    m_details->ChangeValue(ToWxText(shown == nullptr ? "No bot has failed."
                                                     : BotDetailsText(*shown, kTailLines)));
}

void CBotsWindow::OnOpenFolder(wxCommandEvent&) {
    OpenInFileManager(this, m_folder);
}

}  // namespace jabbery
