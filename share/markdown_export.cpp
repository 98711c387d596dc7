// SPDX-License-Identifier: MIT
#include "share/markdown_export.h"

#include <algorithm>
#include <string_view>

#include "engine/outcome_text.h"
#include "share/display_text.h"
#include "share/record_summary.h"
#include "transcript/transcript.h"

namespace jabbery {

namespace {

// What starts or ends emphasis, code, links, HTML, entities, tables,
// strike-through or a heading; a backslash before any of them shows it as
// it is.
constexpr std::string_view kSpecials = "\\`*_[]<>&~|#!()";

// `raw` as Markdown text that shows exactly it.
std::string Escaped(std::string_view raw) {
    std::string escaped;
    for (const char c : DisplayText(raw)) {
        if (kSpecials.find(c) != std::string_view::npos) escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// `raw` in bold. Markdown opens no bold before a space and closes none
// after one, so the spaces at its ends go in as character references.
std::string Strong(std::string_view raw) {
    const std::string text = Escaped(raw);
    if (text.empty()) return text;
    const std::size_t first = std::min(text.find_first_not_of(' '), text.size());
    const std::size_t end = text.find_last_not_of(' ') + 1;  // 0 when all are spaces
    std::string strong = "**";
    for (std::size_t i = 0; i < first; ++i) strong += "&#32;";
    if (end > first) strong += text.substr(first, end - first);
    for (std::size_t i = std::max(first, end); i < text.size(); ++i) strong += "&#32;";
    return strong + "**";
}

}  // namespace

std::string MarkdownExport(const RecordedConversation& record) {
    std::string md = "# Conversation\n\n";
    for (const Participant& participant : record.m_participants) {
        md += "- " + Strong(participant.m_name.Str()) + " (" +
              Escaped(ParticipantNote(participant)) + ")\n";
    }
    md += "\n";
    for (const SummaryFact& fact : SummaryOf(record)) {
        md += "**" + Escaped(fact.m_label) + ":** " + Escaped(fact.m_value) + "  \n";
    }
    md += "\n---\n";
    for (const Turn& turn : record.m_turns) {
        // Every turn of a record names one of its participants.
        const Participant* speaker = record.Find(turn.m_speaker);
        if (speaker == nullptr) continue;
        // Bold ends before the label's space: Markdown ends no emphasis after one.
        std::string label = SpeakerLabel(speaker->m_name);
        label.pop_back();
        md += "\n" + Strong(label) + " " + Escaped(turn.m_text.Str());
        if (!turn.m_outcome.Answered()) {
            md += " *\\(" + Escaped(OutcomeText(turn.m_outcome)) + "\\)*";
        }
        md += "\n";
    }
    return md;
}

}  // namespace jabbery
