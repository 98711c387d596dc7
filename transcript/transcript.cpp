// SPDX-License-Identifier: MIT
#include "transcript/transcript.h"

#include <algorithm>
#include <string_view>

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
    const std::string_view header(kRtfHeader);
    const std::string_view trailer(kRtfTrailer);
    std::string document;
    document.reserve(header.size() + m_rtfBody.Length() + trailer.size());
    document += header;
    document += m_rtfBody.Str();
    document += trailer;
    return document;
}

namespace {

CPlainString DoubleBackslashes(const CPlainString& text) {
    CPlainString doubled;
    for (char c : text.Str()) {
        doubled += c;
        if (c == '\\') doubled += c;
    }
    return doubled;
}

}  // namespace

std::string RtfIntroLine(int colour, const CPlainString& folder) {
    return "\\b \\cf" + std::to_string(colour) + " " + DoubleBackslashes(folder).Str() + "\\line ";
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

std::string SpeakerLabel(const CPlainString& name) {
    return name.Upper().Str() + "> ";
}

std::string RtfTurnLine(int colour, const CPlainString& name, const CPlainString& reply) {
    // The reply goes in as it stands: bots may colour or format their lines.
    // Only a reply ending in a lone backslash gets one more, so that the pair
    // reads as a backslash and the line break after it stays a break.
    const char* closing = EndsInLoneBackslash(reply) ? "\\\\line " : "\\line ";
    return "\\cf" + std::to_string(colour) + " \\b " + SpeakerLabel(name) + "\\b0 " + reply.Str() +
           closing;
}

void AppendIntro(TranscriptTexts& texts, int colour, const CPlainString& folder) {
    texts.m_rtfBody.Append(RtfIntroLine(colour, folder));
    texts.m_plainText.Append(folder, kLineEnd);
}

CPlainString RtfEscaped(const CPlainString& text) {
    CPlainString escaped;
    for (const char c : text.Str()) {
        if (c == '\\' || c == '{' || c == '}') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

void AppendTurn(TranscriptTexts& texts, int colour, const CPlainString& name,
                const CPlainString& reply, bool escape) {
    // A person's name is text as their lines are; a bot's, like its reply, goes in as it stands.
    texts.m_rtfBody.Append(
        RtfTurnLine(colour, escape ? RtfEscaped(name) : name, escape ? RtfEscaped(reply) : reply));
    texts.m_plainText.Append(SpeakerLabel(name), reply, kLineEnd);
}

}  // namespace jabbery
