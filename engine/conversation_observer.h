// SPDX-License-Identifier: MIT
#pragma once

namespace jabbery {

class Conversation;
struct ConversationEnd;
struct Participant;
struct Turn;

// Told what happens in a conversation, as it happens, on the conversation's
// thread: transcripts, logs, printers and views each format what they are
// told. The conversation passes itself, for what an observer needs beside
// the event (a speaker's name and colour).
class ConversationObserver {
  public:
    virtual ~ConversationObserver() = default;

    // A participant has joined, before the first turn: its introduction.
    virtual void ParticipantJoined(const Conversation& /*conversation*/,
                                   const Participant& /*participant*/) {}

    // A turn has been recorded; the speaker's stats already count it.
    virtual void TurnRecorded(const Conversation& /*conversation*/, const Turn& /*turn*/) {}

    // A participant joined or left while the conversation ran; the
    // introductions stay those of the start.
    virtual void ParticipantAdded(const Conversation& /*conversation*/,
                                  const Participant& /*participant*/) {}
    virtual void ParticipantLeft(const Conversation& /*conversation*/,
                                 const Participant& /*participant*/) {}

    // The conversation has ended, and why; told once, last.
    virtual void ConversationEnded(const Conversation& /*conversation*/,
                                   const ConversationEnd& /*end*/) {}
};

}  // namespace jabbery
