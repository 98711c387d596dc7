// SPDX-License-Identifier: MIT
#include "transcript/transcript.h"

#include <algorithm>
#include <string_view>

#include "platform/document_view.h"
#include "platform/text_file.h"

namespace jabbery {

// The header declares one paragraph of 10-point text with a 15-colour table,
// one colour per bot number. Its `\f3` names a font the table does not
// define; viewers fall back to the default font, and the bytes stay as they
// are because saved documents and viewers have always had them.
const char* const kRtfHeader =
    "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss Arial;}}\n"
    "{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green255\\blue0;"
    "\\red0\\green0\\blue255;\\red255\\green0\\blue255;\\red0\\green255\\blue255;"
    "\\red128\\green128\\blue128;\\red128\\green0\\blue0;\\red0\\green128\\blue0;"
    "\\red0\\green0\\blue128;\\red255\\green128\\blue0;\\red150\\green58\\blue140;"
    "\\red144\\green132\\blue0;\\red249\\green149\\blue149;\\red116\\green68\\blue52;}\n"
    "\\deflang1033\\pard\\tx360\\tx720\\tx1080\\tx1440\\tx1800\\tx2160\\tx2520\\tx2880"
    "\\tx3240\\tx3600\\tx3960\\tx4320\\tx4680\\tx5040\\tx5400\\tx5760\\tx6120\\tx6480"
    "\\plain\\f3\\fs20 ";

const char* const kRtfTrailer = "\n\\par }";

std::string TranscriptTexts::Document() const {
    std::string document;
    document.reserve(m_rtfHeader.Length() + m_rtfBody.Length() + m_rtfTrailer.Length());
    document += m_rtfHeader.Str();
    document += m_rtfBody.Str();
    document += m_rtfTrailer.Str();
    return document;
}

void AppendIntro(TranscriptTexts& texts, const BotRoster& roster, int bot) {
    // Bold is switched on and left on: the introduction lines stand in bold
    // until the first turn line switches it off.
    texts.m_rtfBody.Append("\\b \\cf", std::to_string(bot), " ", roster.m_botFolderRtf[bot],
                           "\\line ");
    texts.m_plainText.Append(roster.m_botFolder[bot], kLineEnd);
}

namespace {

// True when `text` ends in an odd number of backslashes: its last one would
// escape whatever follows, which in the transcript is the line break.
bool EndsInLoneBackslash(std::string_view text) {
    const std::size_t kept = text.find_last_not_of('\\');
    const std::size_t run = text.size() - (kept == std::string_view::npos ? 0 : kept + 1);
    return run % 2 == 1;
}

}  // namespace

std::string SpeakerLabel(const BotRoster& roster, int speaker) {
    return roster.m_botName[speaker].Upper().Str() + "> ";
}

void AppendTurn(TranscriptTexts& texts, const BotRoster& roster, int speaker,
                const CPlainString& reply) {
    const std::string label = SpeakerLabel(roster, speaker);
    // The reply goes in as it stands: bots may colour or format their lines.
    // Only a reply ending in a lone backslash gets one more, so that the pair
    // reads as a backslash and the line break after it stays a break.
    const char* closing = EndsInLoneBackslash(reply) ? "\\\\line " : "\\line ";
    texts.m_rtfBody.Append("\\cf", std::to_string(speaker), " \\b ", label, "\\b0 ", reply,
                           closing);
    texts.m_plainText.Append(label, reply, kLineEnd);
}

void TranscriptTexts::ClearTranscripts() {
    m_rtfBody = CPlainString();
    m_plainText = CPlainString();
    m_bodyShown = 0;
}

void ShowDocument(TranscriptTexts& texts, DocumentView& view) {
    const std::size_t body_kept = std::min(texts.m_bodyShown, texts.m_rtfBody.Length());
    view.ShowDocument(texts.Document(), texts.m_rtfHeader.Length() + body_kept);
    texts.m_bodyShown = texts.m_rtfBody.Length();
}

}  // namespace jabbery
