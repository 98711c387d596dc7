// SPDX-License-Identifier: MIT
#include "share/html_export.h"

#include <cstdio>
#include <set>

#include "engine/outcome_text.h"
#include "share/display_text.h"
#include "share/record_summary.h"
#include "transcript/transcript.h"
#include "values/readable_colour.h"

namespace jabbery {

namespace {

// Nothing may load or run; only the page's own style sheet applies.
constexpr const char* kPolicy = "default-src 'none'; style-src 'unsafe-inline'";

// The layout, and the colours of what no participant owns; the light
// colours are also those printed.
constexpr const char* kBaseStyle =
    "body{font-family:sans-serif;line-height:1.4;max-width:52em;margin:1em auto;"
    "padding:0 1em;background:#fff;color:#000}\n"
    "header{border-bottom:1px solid #888;margin-bottom:1em}\n"
    "h1{font-size:1.4em}\n"
    "dt{font-weight:bold;float:left;clear:left;margin-right:.5em}\n"
    "dt::after{content:\":\"}\n"
    ".turn{margin:.35em 0;overflow-wrap:anywhere}\n"
    ".failed{font-style:italic}\n"
    ".outcome{color:#707070}\n"
    "@media screen and (prefers-color-scheme:dark){body{background:#1e1e1e;color:#e6e6e6}"
    ".outcome{color:#a8a8a8}}\n"
    "@media print{body{max-width:none;margin:0}.turn{break-inside:avoid}}\n";

// Text for an element's content or an attribute's value.
std::string Escaped(std::string_view raw) {
    std::string escaped;
    for (const char c : DisplayText(raw)) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// Colour `index` of the table; black for an index a record should never hold.
BotColour TableColour(int index) {
    return index >= 0 && index < kMaxBots ? kBotColours[static_cast<std::size_t>(index)]
                                          : BotColour{0, 0, 0};
}

// A rule per colour in use: `.cN` in colour N of the table, as it reads on `page`.
std::string ColourRules(const std::set<int>& colours, const BotColour& page) {
    std::string rules;
    for (const int colour : colours) {
        rules += ".c" + std::to_string(colour) +
                 "{color:" + CssColour(ReadableOn(TableColour(colour), page)) + "}";
    }
    return rules;
}

std::string StyleSheet(const RecordedConversation& record) {
    std::set<int> colours;
    for (const Participant& participant : record.m_participants) {
        colours.insert(participant.m_colour);
    }
    return std::string(kBaseStyle) + ColourRules(colours, kWhitePage) +
           "\n@media screen and (prefers-color-scheme:dark){" + ColourRules(colours, kDarkPage) +
           "}\n";
}

std::string ColourClass(const Participant& participant) {
    return "c" + std::to_string(participant.m_colour);
}

std::string Heading(const RecordedConversation& record) {
    std::string html = "<header>\n<h1>Conversation</h1>\n<ul>\n";
    for (const Participant& participant : record.m_participants) {
        html += "<li class=\"" + ColourClass(participant) + "\"><b>" +
                Escaped(participant.m_name.Str()) + "</b> (" +
                Escaped(ParticipantNote(participant)) + ")</li>\n";
    }
    html += "</ul>\n<dl>\n";
    for (const SummaryFact& fact : SummaryOf(record)) {
        html += "<dt>" + Escaped(fact.m_label) + "</dt><dd>" + Escaped(fact.m_value) + "</dd>\n";
    }
    return html + "</dl>\n</header>\n";
}

std::string TurnParagraph(const Participant& speaker, const Turn& turn) {
    const bool failed = !turn.m_outcome.Answered();
    std::string html = "<p class=\"turn " + ColourClass(speaker) + (failed ? " failed" : "") +
                       "\" title=\"" + Escaped(TurnTime(turn)) + "\"><b>" +
                       Escaped(SpeakerLabel(speaker.m_name)) + "</b>" + Escaped(turn.m_text.Str());
    if (failed) {
        html += " <span class=\"outcome\">(" + Escaped(OutcomeText(turn.m_outcome)) + ")</span>";
    }
    return html + "</p>\n";
}

}  // namespace

std::string CssColour(const BotColour& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.m_red, colour.m_green, colour.m_blue);
    return text;
}

std::string HtmlExport(const RecordedConversation& record) {
    std::string names;
    for (const Participant& participant : record.m_participants) {
        names += (names.empty() ? "" : ", ") + participant.m_name.Str();
    }
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"" +
        std::string(kPolicy) +
        "\">\n"
        "<meta name=\"color-scheme\" content=\"light dark\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Conversation of " +
        Escaped(names) + "</title>\n<style>\n" + StyleSheet(record) +
        "</style>\n</head>\n<body>\n" + Heading(record) + "<main>\n";
    for (const Turn& turn : record.m_turns) {
        // Every turn of a record names one of its participants.
        if (const Participant* speaker = record.Find(turn.m_speaker)) {
            html += TurnParagraph(*speaker, turn);
        }
    }
    return html + "</main>\n</body>\n</html>\n";
}

}  // namespace jabbery
