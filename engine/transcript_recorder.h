// SPDX-License-Identifier: MIT
#pragma once

#include "engine/conversation.h"
#include "transcript/transcript.h"

namespace jabbery {

// A turn's line in the rich text as the transcript holds it: a human's line
// escaped, a bot's reply as it stands.
inline std::string RtfLineOf(const Participant& speaker, const Turn& turn) {
    const bool human = speaker.m_kind == ParticipantKind::kHuman;
    return RtfTurnLine(speaker.m_colour, human ? RtfEscaped(speaker.m_name) : speaker.m_name,
                       human ? RtfEscaped(turn.m_text) : turn.m_text);
}

// Keeps a conversation's two transcripts as it goes: each participant's
// introduction, then each turn's line, in the participant's colour.
class TranscriptRecorder final : public ConversationObserver {
  public:
    const TranscriptTexts& Texts() const { return m_texts; }

    void ParticipantJoined(const Conversation&, const Participant& participant) override {
        AppendIntro(m_texts, participant.m_colour, participant.m_folder);
    }
    void TurnRecorded(const Conversation& conversation, const Turn& turn) override {
        const Participant& speaker = conversation.Get(turn.m_speaker);
        AppendTurn(m_texts, speaker.m_colour, speaker.m_name, turn.m_text,
                   speaker.m_kind == ParticipantKind::kHuman);
    }

  private:
    TranscriptTexts m_texts;
};

}  // namespace jabbery
