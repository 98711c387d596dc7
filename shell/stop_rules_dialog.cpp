// SPDX-License-Identifier: MIT
#include "shell/stop_rules_dialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <climits>

#include "shell/message_box_caption.h"
#include "shell/wx_text.h"

namespace jabbery {
namespace {

using std::chrono::minutes;

// Each rule's line: the tick box's words, the number's range and its value
// when the rule is off, and the words after it.
constexpr struct {
    CStopRulesDialog::Rule m_rule;
    const char* m_label;
    int m_lowest, m_highest, m_default;
    const char* m_after;
} kLines[] = {
    {CStopRulesDialog::kTurns, "Stop &after", 1, INT_MAX, 100, "turns"},
    {CStopRulesDialog::kTime, "Stop after a &time of", 1, 100000, 10, "minutes from the start"},
    {CStopRulesDialog::kStopOn, "Stop when a reply &matches", 0, 0, 0, "(RE2 syntax)"},
    {CStopRulesDialog::kLoop, "Stop when a &line comes round", 2, 1000, 3, "times (a loop)"},
    {CStopRulesDialog::kQuarantine, "Let a bot sit out after &failing", 1, 1000, 3,
     "times in a row"},
};

// The rule's number as it stands, or its default when it is off.
int Shown(const auto& value, int fallback) {
    return value ? static_cast<int>(std::clamp<long long>(*value, 1, INT_MAX)) : fallback;
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CStopRulesDialog, wxDialog)
    EVT_BUTTON(wxID_OK, CStopRulesDialog::OnOk)
    EVT_CHECKBOX(wxID_ANY, CStopRulesDialog::OnTick)
wxEND_EVENT_TABLE();
// clang-format on

CStopRulesDialog::CStopRulesDialog(wxWindow* parent, const StopRules& rules)
    : wxDialog(parent, wxID_ANY, "Stop rules"), m_rules(rules) {
    const std::array<int, kRuleCount> shown = {
        Shown(rules.m_turns, kLines[kTurns].m_default),
        Shown(rules.m_time ? std::optional(std::chrono::ceil<minutes>(*rules.m_time).count())
                           : std::nullopt,
              kLines[kTime].m_default),
        0,
        Shown(rules.m_loop, kLines[kLoop].m_default),
        Shown(rules.m_quarantine, kLines[kQuarantine].m_default),
    };
    const std::array<bool, kRuleCount> on = {rules.m_turns.has_value(), rules.m_time.has_value(),
                                             rules.m_stopOn != nullptr, rules.m_loop.has_value(),
                                             rules.m_quarantine.has_value()};
    auto* grid = new wxFlexGridSizer(3, wxSize(ConvertDialogToPixels(wxSize(4, 2))));
    grid->AddGrowableCol(1);
    for (const auto& line : kLines) {
        m_boxes[line.m_rule] = new wxCheckBox(this, wxID_ANY, line.m_label);
        m_boxes[line.m_rule]->SetValue(on[line.m_rule]);
        grid->Add(m_boxes[line.m_rule], wxSizerFlags().CentreVertical());
        if (line.m_rule == kStopOn) {
            m_pattern = new wxTextCtrl(this, wxID_ANY,
                                       ToWxText(rules.m_stopOn ? rules.m_stopOn->Text() : ""),
                                       wxDefaultPosition, ConvertDialogToPixels(wxSize(100, -1)));
            grid->Add(m_pattern, wxSizerFlags().Expand());
        } else {
            m_numbers[line.m_rule] =
                new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                               wxSP_ARROW_KEYS, line.m_lowest, line.m_highest, shown[line.m_rule]);
            grid->Add(m_numbers[line.m_rule], wxSizerFlags().Expand());
            m_shownNumbers[line.m_rule] = m_numbers[line.m_rule]->GetValue();
        }
        grid->Add(new wxStaticText(this, wxID_ANY, line.m_after), wxSizerFlags().CentreVertical());
    }
    auto* layout = new wxBoxSizer(wxVERTICAL);
    layout->Add(new wxStaticText(this, wxID_ANY,
                                 "Each rule is off unless ticked. A rule that is met pauses "
                                 "the conversation;\nResume (Ctrl+P) goes on."),
                wxSizerFlags().Border());
    layout->Add(grid, wxSizerFlags().Expand().Border());
    layout->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), wxSizerFlags().Expand().Border());
    SetSizerAndFit(layout);
    EnableValues();
}

void CStopRulesDialog::OnTick(wxCommandEvent&) {
    EnableValues();
}

void CStopRulesDialog::EnableValues() {
    for (int rule = 0; rule < kRuleCount; ++rule) {
        wxWindow* value = rule == kStopOn ? static_cast<wxWindow*>(m_pattern) : m_numbers[rule];
        value->Enable(m_boxes[rule]->IsChecked());
    }
}

void CStopRulesDialog::OnOk(wxCommandEvent&) {
    StopRules rules;
    const auto ticked = [this](Rule rule) { return m_boxes[rule]->IsChecked(); };
    // A number left as shown keeps the rule's own value, which it may show
    // only rounded or cut (a time of 30 s as 1 minute).
    const auto kept = [this](Rule rule, const auto& value) {
        return value && m_numbers[rule]->GetValue() == m_shownNumbers[rule];
    };
    if (ticked(kTurns)) {
        rules.m_turns =
            kept(kTurns, m_rules.m_turns) ? *m_rules.m_turns : m_numbers[kTurns]->GetValue();
    }
    if (ticked(kTime)) {
        rules.m_time =
            kept(kTime, m_rules.m_time) ? *m_rules.m_time : minutes(m_numbers[kTime]->GetValue());
    }
    if (ticked(kLoop)) rules.m_loop = m_numbers[kLoop]->GetValue();
    if (ticked(kQuarantine)) rules.m_quarantine = m_numbers[kQuarantine]->GetValue();
    if (ticked(kStopOn)) {
        const std::string pattern = m_pattern->GetValue().utf8_string();
        std::string error;
        rules.m_stopOn = StopPattern::Compile(pattern, error);
        if (rules.m_stopOn == nullptr) {
            // The dialog stays open for the pattern to be mended or the rule unticked.
            wxMessageBox(ToWxText("The pattern cannot be used: " + error + "."),
                         MessageBoxCaption(), wxOK | wxICON_ERROR, this);
            m_pattern->SetFocus();
            return;
        }
    }
    rules.m_pauseInstead = true;
    m_rules = std::move(rules);
    EndModal(wxID_OK);
}

std::optional<StopRules> AskStopRules(wxWindow* parent, const StopRules& rules) {
    CStopRulesDialog dialog(parent, rules);
    dialog.CentreOnParent();
    if (dialog.ShowModal() != wxID_OK) return std::nullopt;
    return dialog.Rules();
}

}  // namespace jabbery
