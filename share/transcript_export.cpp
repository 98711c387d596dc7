// SPDX-License-Identifier: MIT
#include "share/transcript_export.h"

namespace jabbery {

TranscriptTexts TranscriptTextsOf(const RecordedConversation& record) {
    TranscriptTexts texts;
    for (const ParticipantId id : record.m_introduced) {
        if (const Participant* participant = record.Find(id)) {
            AppendIntro(texts, participant->m_colour, participant->m_folder);
        }
    }
    for (const Turn& turn : record.m_turns) {
        // A turn whose speaker the record does not know cannot be coloured
        // or named; the transcript never had such a line.
        if (const Participant* speaker = record.Find(turn.m_speaker)) {
            AppendTurn(texts, speaker->m_colour, speaker->m_name, turn.m_text,
                       speaker->m_kind == ParticipantKind::kHuman);
        }
    }
    return texts;
}

}  // namespace jabbery
