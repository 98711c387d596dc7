// SPDX-License-Identifier: MIT
#pragma once

#include "engine/conversation.h"
#include "transcript/transcript.h"

namespace jabbery {

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
        AppendTurn(m_texts, speaker.m_colour, speaker.m_name, turn.m_text);
    }

  private:
    TranscriptTexts m_texts;
};

}  // namespace jabbery
