// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "values/plain_string.h"

namespace jabbery {

// The fixed rich-text header (559 characters) and trailer of the document.
extern const char* const kRtfHeader;
extern const char* const kRtfTrailer;

// The conversation's two records: the coloured rich-text body and the plain
// text that can be saved. Both only grow; they hold the same entries in the
// same order, one per participant, then one per turn.
struct TranscriptTexts {
    CPlainString m_rtfBody;
    CPlainString m_plainText;

    // The whole rich-text document: header, body, trailer.
    std::string Document() const;
};

// A participant's introduction line in the rich text: its folder, in bold,
// in colour `colour` (an index into the header's colour table). Bold is left
// on: the introductions stand in bold until the first turn line.
std::string RtfIntroLine(int colour, const CPlainString& folder);

// The start of a turn's line: the speaker's name in capitals (a to z only)
// and "> ", as every transcript and the terminal show it.
std::string SpeakerLabel(const CPlainString& name);

// A turn's line in the rich text: the speaker's label in bold in its colour,
// then the reply as it stands (it may carry rich-text codes), except that a
// reply ending in an odd run of backslashes gets one backslash more, so
// that it cannot escape the line break.
std::string RtfTurnLine(int colour, const CPlainString& name, const CPlainString& reply);

// `text` with each \, { and } escaped, so that the rich text shows it as it
// is: a human's line, which unlike a bot's reply carries no rich-text codes.
CPlainString RtfEscaped(const CPlainString& text);

// Adds a participant's introduction (its folder) to both records.
void AppendIntro(TranscriptTexts& texts, int colour, const CPlainString& folder);

// Adds one turn to both records; the plain text keeps the reply as it is,
// the rich text takes it and the name escaped when `escape` (a human's line).
void AppendTurn(TranscriptTexts& texts, int colour, const CPlainString& name,
                const CPlainString& reply, bool escape = false);

}  // namespace jabbery
