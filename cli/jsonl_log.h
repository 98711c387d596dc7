// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>

#include "engine/conversation.h"
#include "platform/text_file.h"

namespace jabbery {

// The conversation as JSON Lines: one object per recorded turn, appended
// and flushed as it happens, so `tail -f` follows it. Text is always valid
// UTF-8 (invalid bytes become U+FFFD).
class JsonlLog {
  public:
    // `conversation` names this run on every line.
    explicit JsonlLog(std::string conversation) : m_conversation(std::move(conversation)) {}

    // Opens `path` for appending; false with a message for the user.
    bool Open(const std::string& path, std::string& error) { return m_file.Open(path, error); }

    // Adds turn `turn` (1-based) of bot `bot` (0-based), whose reply is now
    // the conversation's last message. False with a message when it fails.
    bool AddTurn(const ConversationState& state, int turn, int bot, const ExchangeOutcome& outcome,
                 std::string& error);

    // One object as it is written, without its line end.
    std::string Line(const ConversationState& state, int turn, int bot,
                     const ExchangeOutcome& outcome) const;

  private:
    std::string m_conversation;
    AppendingFile m_file;
};

// A moment in UTC as ISO 8601 with milliseconds: "2026-12-07T03:15:00.123Z".
std::string IsoUtc(std::chrono::system_clock::time_point when);

// An identifier of this run: its UTC start time and the process id.
std::string ConversationId();

}  // namespace jabbery
