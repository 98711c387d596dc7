// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "engine/conversation.h"
#include "engine/jsonl_log.h"
#include "engine/recorded_conversation.h"

namespace jabbery {

// How a conversation runs: its speaking order's key, its seed and its stop rules.
struct Continuation {
    std::string m_order;
    std::optional<unsigned> m_seed;
    StopRules m_rules;
};

// How a conversation continued from a log headed by `set_up` goes on:
// `given` (what the command line asks for), and where it leaves a choice
// open, the log's: its seed, so that the speakers go on as they would
// have; its speaking order while `given` has the default ("random"); its
// stop pattern, loop and quarantine (ContinuedRules). Without a header, `given`.
Continuation ContinuationOf(Continuation given, const std::optional<ConversationSetUp>& set_up);

// Sets up `conversation` (made with `continuation`'s order and rules, and
// `log` among its observers) to go on from `recorded`, whose bots
// ReloadBots has read again: its participants join as they were, the
// opening is `opening` or else the log's, its recorded turns are caught
// up, and `log` begins with its `continued` record.
void GoOnFrom(Conversation& conversation, const RecordedConversation& recorded,
              const Continuation& continuation, const std::optional<std::string>& opening,
              JsonlLog& log);

// The turns of `recorded` that bots took: what --turns counts.
long long BotTurns(const RecordedConversation& recorded);

}  // namespace jabbery
