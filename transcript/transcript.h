// SPDX-License-Identifier: MIT
#pragma once

#include "values/bot_roster.h"
#include "values/plain_string.h"

namespace jabbery {

class DocumentView;

// The fixed rich-text header (559 characters) and trailer of the document.
extern const char* const kRtfHeader;
extern const char* const kRtfTrailer;

// The conversation's two records: the coloured rich-text body the view shows
// and the plain text that can be saved. Both only grow; they hold the same
// entries in the same order, one per loaded bot, then one per turn.
struct TranscriptTexts {
    CPlainString m_rtfHeader = kRtfHeader;
    CPlainString m_rtfTrailer = kRtfTrailer;
    CPlainString m_rtfBody;
    CPlainString m_plainText;

    // How much of the body the view was handed last time: the body only
    // grows, so that much of the next document is known to be unchanged.
    std::size_t m_bodyShown = 0;

    // The whole document the view shows: header, body, trailer.
    std::string Document() const;

    // Empties both records, before the bots are loaded.
    void ClearTranscripts();
};

// Adds bot `bot`'s introduction line (its folder, in bold, in its colour).
void AppendIntro(TranscriptTexts& texts, const BotRoster& roster, int bot);

// The start of a turn's line: the speaker's name in capitals (a to z only)
// and "> ", as every transcript and the terminal show it.
std::string SpeakerLabel(const BotRoster& roster, int speaker);

// Adds one turn: the speaker's name in capitals, "> ", then the reply, which
// goes into the rich text as it stands (it may carry rich-text codes), except
// that a reply ending in an odd run of backslashes gets one backslash more in
// the rich text, so that it cannot escape the line break; the plain text
// always keeps the reply as it is.
void AppendTurn(TranscriptTexts& texts, const BotRoster& roster, int speaker,
                const CPlainString& reply);

// Hands the whole document to the view, saying how much of it is unchanged
// since the last time.
void ShowDocument(TranscriptTexts& texts, DocumentView& view);

}  // namespace jabbery
