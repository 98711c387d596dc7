// SPDX-License-Identifier: MIT
#include "shell/bots_window.h"

#include <wx/button.h>
#include <wx/imaglist.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/numdlg.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "engine/bot_descriptor.h"
#include "engine/bot_set_up.h"
#include "engine/bot_table.h"
#include "engine/conversation.h"
#include "install/program_bot.h"
#include "platform/self_location.h"
#include "shell/dialog_units.h"
#include "shell/open_elsewhere.h"
#include "shell/user_dialogs.h"
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
constexpr std::size_t kLastNumberColumn = 7;
// The name column's widest, in dialog units: a long name is cut there
// rather than push the counts out of sight.
constexpr int kNameColumnWidth = 70;
// The table's least height, in dialog units: its headings and a few rows.
constexpr int kMinTableHeight = 45;

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
    EVT_LIST_ITEM_RIGHT_CLICK(kTableId, CBotsWindow::OnRowMenu)
    EVT_LIST_KEY_DOWN(kTableId, CBotsWindow::OnTableKey)
    EVT_BUTTON(CBotsWindow::kOpenFolderId, CBotsWindow::OnOpenFolder)
    EVT_BUTTON(CBotsWindow::kAddId, CBotsWindow::OnAdd)
    EVT_BUTTON(CBotsWindow::kNewProgramBotId, CBotsWindow::OnNewProgramBot)
    EVT_MENU(CBotsWindow::kMuteId, CBotsWindow::OnMute)
    EVT_MENU(CBotsWindow::kTalkativenessId, CBotsWindow::OnTalkativeness)
    EVT_MENU(CBotsWindow::kSpeakNextId, CBotsWindow::OnSpeakNext)
    EVT_MENU(CBotsWindow::kRemoveId, CBotsWindow::OnRemove)
wxEND_EVENT_TABLE();
// clang-format on

CBotsWindow::CBotsWindow(wxWindow* parent, Conversation& conversation, UserDialogs& dialogs,
                         const std::string& conversations_folder)
    : wxDialog(parent, wxID_ANY, "Bots", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMAXIMIZE_BOX),
      m_conversation(conversation),
      m_dialogs(dialogs),
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
    buttons->Add(new wxButton(this, kAddId, "A&dd a bot..."), wxSizerFlags().Border(wxRIGHT));
    buttons->Add(new wxButton(this, kNewProgramBotId, "&New bot from a program..."),
                 wxSizerFlags().Border(wxRIGHT));
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
    // Never so small that the buttons overlap or the table shows no bot; the
    // table asks no more, however many bots it lists.
    m_table->SetMinSize(ConvertDialogToPixels(wxSize(0, kMinTableHeight)));
    SetMinClientSize(layout->CalcMin());
    Update();
    SetSize(ConvertDialogToPixels(wxSize(420, 200)));
    CentreWithinScreen(this);
}

void CBotsWindow::Update() {
    const std::vector<Participant>& bots = m_conversation.Participants();
    for (int bot = 0; bot < static_cast<int>(bots.size()); ++bot) {
        const Participant& participant = bots[static_cast<std::size_t>(bot)];
        const std::vector<std::string> row = BotTableRow(participant);
        if (bot >= m_table->GetItemCount()) m_table->InsertItem(bot, wxString());
        // Its swatch is its colour in the transcript, which an added bot takes where it is free.
        m_table->SetItemImage(bot, participant.m_colour);
        for (std::size_t column = 0; column < row.size(); ++column) {
            m_table->SetItem(bot, static_cast<int>(column), ToWxText(row[column]));
        }
        // A muted or removed bot is grey; else one that has failed stands
        // out in the list, in a red that reads on the list's background,
        // light or dark.
        const bool failed = participant.m_stats.m_lastFailure.has_value();
        const wxColour page = m_table->GetBackgroundColour();
        const BotColour red = ReadableOn({255, 0, 0}, {page.Red(), page.Green(), page.Blue()});
        m_table->SetItemTextColour(bot, participant.m_muted || participant.m_removed ||
                                                participant.m_kind == ParticipantKind::kHuman
                                            ? wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT)
                                        : failed ? wxColour(red.m_red, red.m_green, red.m_blue)
                                                 : wxNullColour);
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

void CBotsWindow::OnSelect(wxListEvent&) {
    ShowDetails();
}

void CBotsWindow::ShowDetails() {
    // The selected bot, or else the one that failed last.
    const std::vector<Participant>& bots = m_conversation.Participants();
    const Participant* selected = Selected();
    const Participant* shown = selected;
    for (int latest = 0; const Participant& bot : bots) {
        if (selected == nullptr && bot.m_stats.m_lastFailure &&
            bot.m_stats.m_lastFailureTurn > latest) {
            latest = bot.m_stats.m_lastFailureTurn;
            shown = &bot;
        }
    }
    m_details->ChangeValue(
        ToWxText(shown == nullptr ? "No bot has failed." : BotDetailsText(*shown, kTailLines)));
}

void CBotsWindow::OnOpenFolder(wxCommandEvent&) {
    OpenInFileManager(this, m_folder);
}

void CBotsWindow::OnRowMenu(wxListEvent& event) {
    // The row clicked is the one the menu is for.
    m_table->SetItemState(event.GetIndex(), wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                          wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    ShowRowMenu();
}

void CBotsWindow::OnTableKey(wxListEvent& event) {
    // The keyboard's ways to a context menu, for the selected row.
    const int key = event.GetKeyCode();
    if (key == WXK_WINDOWS_MENU || (key == WXK_F10 && wxGetKeyState(WXK_SHIFT))) {
        ShowRowMenu();
        return;
    }
    event.Skip();
}

void CBotsWindow::ShowRowMenu() {
    const Participant* bot = Selected();
    if (bot == nullptr) return;
    wxMenu menu;
    menu.Append(kMuteId, bot->m_muted ? "&Unmute" : "&Mute");
    menu.Append(kTalkativenessId, "&Talkativeness...");
    // A name's "&" is shown, not taken for a mnemonic.
    wxString name = ToWxText(bot->m_name.Str());
    name.Replace("&", "&&");
    menu.Append(kSpeakNextId, "&Let " + name + " speak next");
    menu.Append(kRemoveId, "&Remove");
    // A bot that has left keeps its row, and nothing more can be done with
    // it; nor with a human's row.
    const bool steerable = !bot->m_removed && bot->m_kind == ParticipantKind::kBot;
    for (wxMenuItem* item : menu.GetMenuItems()) item->Enable(steerable);
    PopupMenu(&menu);
}

const Participant* CBotsWindow::Selected() const {
    const std::vector<Participant>& bots = m_conversation.Participants();
    const long row = m_table->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    return row >= 0 && static_cast<std::size_t>(row) < bots.size()
               ? &bots[static_cast<std::size_t>(row)]
               : nullptr;
}

void CBotsWindow::OnMute(wxCommandEvent&) {
    if (const Participant* bot = Selected()) {
        Done(m_conversation.SetMuted(bot->m_id, !bot->m_muted));
    }
}

void CBotsWindow::OnTalkativeness(wxCommandEvent&) {
    const Participant* bot = Selected();
    if (bot == nullptr) return;
    const ParticipantId id = bot->m_id;
    const long talkativeness = wxGetNumberFromUser(
        ToWxText("How often " + bot->m_name.Str() +
                 " speaks when the speaking order is Natural: from 0 (only when named) to " +
                 std::to_string(kMaxTalkativeness) + "."),
        "Talkativeness:", "Talkativeness", bot->m_talkativeness, 0, kMaxTalkativeness, this);
    // -1: cancelled.
    if (talkativeness < 0) return;
    m_conversation.SetTalkativeness(id, static_cast<int>(talkativeness));
    Done("");
}

void CBotsWindow::OnSpeakNext(wxCommandEvent&) {
    if (const Participant* bot = Selected()) Done(m_conversation.SpeakNext(bot->m_id));
}

void CBotsWindow::OnRemove(wxCommandEvent&) {
    if (const Participant* bot = Selected()) Done(m_conversation.Remove(bot->m_id));
}

void CBotsWindow::OnAdd(wxCommandEvent&) {
    const int number = static_cast<int>(m_conversation.Participants().size()) + 1;
    const std::string folder = m_dialogs.BrowseForBotFolder(number, number);
    if (folder.empty()) return;
    std::string why;
    std::optional<Participant> bot = ReadBot(folder, &why);
    Done(bot ? m_conversation.Add(std::move(*bot)) : NotABotText(folder, why));
}

void CBotsWindow::Done(const std::string& refusal) {
    if (!refusal.empty()) m_dialogs.ShowError(refusal);
    Update();
}

void CBotsWindow::OnNewProgramBot(wxCommandEvent&) {
    const std::optional<ProgramBotAnswer> answer = m_dialogs.AskProgramBot();
    if (!answer) return;
    // The command line runs as typed, by the shell; a blank one is no program.
    std::vector<std::string> command;
    if (answer->m_commandLine.find_first_not_of(" \t") != std::string::npos) {
        command = {"/bin/sh", "-c", answer->m_commandLine};
    }
    std::string error;
    const std::string folder = MakeProgramBot(CurrentBotPlaces(), answer->m_name, command,
                                              StdioBridgePath(ProgramFolder()), error);
    if (folder.empty()) {
        Done(error);
        return;
    }
    std::string why;
    std::optional<Participant> bot = ReadBot(folder, &why);
    Done(bot ? m_conversation.Add(std::move(*bot)) : NotABotText(folder, why));
}

}  // namespace jabbery
