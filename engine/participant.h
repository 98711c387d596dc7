// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "engine/bot_stats.h"
#include "engine/exchange.h"
#include "values/plain_string.h"

namespace jabbery {

// A participant's id: given when it joins a conversation and never changed
// or given again while the conversation runs.
using ParticipantId = int;

// What kind of speaker a participant is: a bot the conversation runs, or a
// human whose lines the front-end passes on.
enum class ParticipantKind { kBot, kHuman };

inline constexpr int kDefaultTalkativeness = 50;
inline constexpr int kMaxTalkativeness = 100;

// One speaker of a conversation. Its colour is the index of its colour in
// the transcript's table, given out by the conversation as it joins.
struct Participant {
    ParticipantId m_id = 0;
    ParticipantKind m_kind = ParticipantKind::kBot;
    CPlainString m_name;     // descriptor line 4, unchanged
    CPlainString m_folder;   // the chosen folder and "/"
    CPlainString m_command;  // descriptor line 3, unchanged
    int m_colour = 0;
    // m_folder as opened when the conversation started; null until then,
    // or when it could not be opened (the exchange then says why).
    std::shared_ptr<const BotFolder> m_openFolder;
    BotStats m_stats;  // how its exchanges have gone

    // How often it speaks in the natural order, 0 (only when named) to 100.
    int m_talkativeness = kDefaultTalkativeness;
    bool m_muted = false;    // skipped by every order until unmuted
    bool m_removed = false;  // left the conversation; its row and stats stay
    int m_failsInRow = 0;    // exchanges that failed since its last answer
    int m_quarantines = 0;   // how often it has had to sit out
    int m_sitOut = 0;        // turns it still sits out after failing

    // Whether a speaking order may choose it now: a bot that is neither
    // muted, removed nor sitting out. A human speaks when they like.
    bool CanSpeak() const {
        return m_kind == ParticipantKind::kBot && !m_muted && !m_removed && m_sitOut == 0;
    }

    // What one exchange with this bot needs.
    BotProfile Profile() const { return BotProfile{m_folder, m_name, m_command, m_openFolder}; }
};

}  // namespace jabbery
