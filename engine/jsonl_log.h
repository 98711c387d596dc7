// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/conversation.h"
#include "engine/recorded_conversation.h"
#include "platform/text_file.h"

namespace jabbery {

// The conversation as JSON Lines: a header naming how it was set up (when
// the front-end gives one), one object per recorded turn, one for each
// participant that joins or leaves while it runs, and last one saying why it
// ended; a conversation continued later appends a `continued` record, its
// turns and a new end; appended and flushed as it happens, so `tail -f` follows it. Text is always
// valid UTF-8 (invalid bytes become U+FFFD). Every line goes in whole or not at all: a line that
// cannot be written (a full disk) waits, and goes in with the next turn's once there is room, so
// the file keeps the turns in order and never holds half a line.
class JsonlLog final : public ConversationObserver {
  public:
    // Told when turns start to wait for room (once, until they are written).
    using Problem = std::function<void(const std::string& error)>;

    // `conversation` names this run on every line.
    explicit JsonlLog(std::string conversation, Problem problem = nullptr)
        : m_conversation(std::move(conversation)), m_problem(std::move(problem)) {}

    // Opens `path` for appending, made readable as `access` says when it is
    // new; false with a message for the user. A file that ends inside a line
    // cut short gets the records on lines of their own. A log never opened
    // writes nothing and tells no problem, so that a front-end may observe
    // with it whatever became of its Open (the bots' log).
    bool Open(const std::string& path, std::string& error,
              FileAccess access = FileAccess::kShared) {
        m_opened = m_file.Open(path, error, access);
        return m_opened;
    }

    // The log begins with a header: `set_up` and `introduced`, the
    // participants there from the start. Without it, there is no header.
    void BeginWithHeader(ConversationSetUp set_up, std::vector<Participant> introduced);
    // The log goes on an earlier conversation of `turns` turns: its first
    // record says so, with the program of `set_up` and `participants` (their
    // folders now).
    void BeginContinued(const ConversationSetUp& set_up, long long turns,
                        const std::vector<Participant>& participants);

    // Adds `turn` of `bot`. False while turns wait to be written; `error`
    // is set only when they start to wait.
    bool AddTurn(const Participant& bot, const Turn& turn, std::string& error);

    // Each adds its line; the problem, when there is one, goes to `problem`.
    void TurnRecorded(const Conversation& conversation, const Turn& turn) override;
    void ParticipantAdded(const Conversation& conversation, const Participant& bot) override;
    void ParticipantLeft(const Conversation& conversation, const Participant& bot) override;
    void ConversationEnded(const Conversation& conversation, const ConversationEnd& end) override;

    // Tries once more to write what waits; false with a message naming the
    // turns that are not in the file.
    bool Finish(std::string& error);

    // One object as it is written, without its line end.
    std::string Line(const Participant& bot, const Turn& turn) const;

  private:
    // Adds `line` (an object as it is written) after turn `turn`; as AddTurn.
    bool Add(const std::string& line, long long turn, std::string& error);
    // As Add, the first time after the header or `continued` record.
    void AddOrSay(const std::string& line, long long turn);
    // Writes the waiting lines; false, with m_failure saying why, when they still wait.
    bool WriteWaiting();

    std::string m_conversation;
    std::optional<ConversationSetUp> m_header;  // written before the first record
    std::vector<Participant> m_introduced;      // the header's participants
    std::string m_preamble;                     // the `continued` record, until written
    Problem m_problem;
    AppendingFile m_file;
    std::string m_waiting;         // whole lines not yet in the file
    long long m_firstWaiting = 0;  // the turns they are, when there are any
    long long m_lastWaiting = 0;
    bool m_opened = false;
    bool m_gaveUp = false;  // too much waited: nothing more is written
    std::string m_failure;  // why the last write failed
};

// A moment in UTC as ISO 8601 with milliseconds: "2026-12-07T03:15:00.123Z".
std::string IsoUtc(std::chrono::system_clock::time_point when);

// The moment IsoUtc wrote as `text`; none when it is not one.
std::optional<std::chrono::system_clock::time_point> FromIsoUtc(const std::string& text);

// An identifier of this run: its UTC start time and the process id.
std::string ConversationId();

}  // namespace jabbery
