// SPDX-License-Identifier: MIT
#pragma once

#include <wx/dialog.h>

#include <array>
#include <optional>

#include "engine/stop_rules.h"

class wxCheckBox;
class wxSpinCtrl;
class wxTextCtrl;

namespace jabbery {

// The "Stop rules" dialog: when the conversation stops by itself, the same
// rules the terminal runner takes as options. Each rule has a tick box and
// its number or pattern, and is off unless ticked: after a number of turns,
// after a number of minutes from the start, on a reply a pattern (RE2's
// syntax) is found in, on a line coming round a number of times, and a bot
// failing a number of times in a row sitting out. OK refuses a pattern that
// does not compile, with RE2's message, and the dialog stays open.
class CStopRulesDialog : public wxDialog {
  public:
    enum Rule { kTurns, kTime, kStopOn, kLoop, kQuarantine, kRuleCount };

    // Shows `rules` as they are; the rules OK gives pause the window.
    CStopRulesDialog(wxWindow* parent, const StopRules& rules);

    // The rules as OK accepted them.
    const StopRules& Rules() const { return m_rules; }

    wxCheckBox* RuleBox(Rule rule) const { return m_boxes[rule]; }
    // The number of `rule`; none for kStopOn, whose pattern is PatternEdit.
    wxSpinCtrl* Number(Rule rule) const { return m_numbers[rule]; }
    wxTextCtrl* PatternEdit() const { return m_pattern; }

  private:
    void OnOk(wxCommandEvent& event);
    void OnTick(wxCommandEvent& event);
    // Each rule's number or pattern can be changed while it is ticked.
    void EnableValues();

    std::array<wxCheckBox*, kRuleCount> m_boxes{};
    std::array<wxSpinCtrl*, kRuleCount> m_numbers{};
    std::array<int, kRuleCount> m_shownNumbers{};  // each number as the dialog opened
    wxTextCtrl* m_pattern = nullptr;
    StopRules m_rules;

    wxDECLARE_EVENT_TABLE();
};

// Asks for the stop rules, starting from `rules`; none when cancelled.
std::optional<StopRules> AskStopRules(wxWindow* parent, const StopRules& rules);

}  // namespace jabbery
