// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "engine/bot_stats.h"
#include "engine/exchange.h"
#include "engine/roster.h"
#include "engine/speaker_policy.h"
#include "transcript/transcript.h"

namespace jabbery {

class ConversationWindow;
class DocumentView;
class UserQuestions;

inline constexpr const char* kFirstMessage = "Hi!";
inline constexpr const char* kSaveQuestion = "Would you like to save a transcript of this chat?";

// Everything a running conversation holds; owned by the main window (or the
// terminal runner) for its whole life and touched only on its thread.
struct ConversationState : BotRoster, TranscriptTexts {
    int m_current = 0;                           // the bot that speaks on the next tick
    int m_botCount = 0;                          // a valid bot count once set-up has succeeded
    CPlainString m_lastMessage = kFirstMessage;  // the line handed to the next speaker
    int m_turnsTaken = 0;                        // turns recorded so far
    std::array<BotStats, kMaxBots> m_botStats;   // how each bot's exchanges went
    // Who speaks after each turn.
    std::shared_ptr<SpeakerPolicy> m_speakers = std::make_shared<RandomSpeakers>();
    // Each bot's folder, opened when the conversation starts (null when it could not be).
    std::array<std::shared_ptr<const BotFolder>, kMaxBots> m_openFolders;

    // The exchange inputs of bot `i`.
    BotProfile Profile(int i) const;
};

// The last step of set-up: opens every bot's folder, starts the turn timer, shows the document
// built so far and makes bot 0 the first speaker.
void StartConversation(ConversationState& state, ConversationWindow& window, DocumentView& view);

// One whole turn on the calling thread: the current speaker answers the last
// message, then FinishTurn. Returns how the exchange ended.
ExchangeOutcome RunTurn(ConversationState& state, DocumentView& view, const RunLimits& limits);

// The second half of a turn, for callers that ran InvokeBot elsewhere: adds
// the reply to both transcripts, counts its outcome for the speaker, passes
// the reply on, shows the document and draws the next speaker. A cancelled
// exchange changes nothing, as the bot never said anything: then it
// returns false, and true when the turn was recorded.
bool FinishTurn(ConversationState& state, DocumentView& view, const ExchangeResult& result);

// Makes the next speaker the one the conversation's SpeakerPolicy chooses.
// Does nothing when fewer than two bots are linked.
void PickNextSpeaker(ConversationState& state);

// The Exit sequence: stops the timer, offers to save the plain transcript,
// then asks the window to close. When the offer is cancelled, the timer
// starts again and it returns false: the conversation goes on.
bool StopConversation(ConversationState& state, UserQuestions& questions,
                      ConversationWindow& window);

}  // namespace jabbery
