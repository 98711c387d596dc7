// SPDX-License-Identifier: MIT
#pragma once

#include "engine/exchange.h"
#include "engine/participant.h"

namespace jabbery {

// One turn of a conversation: who spoke, what they said and how the
// exchange went (when it started and how long it took included). The
// record a conversation keeps drops the bot's output, which only the
// speaker's last failure keeps (BotStats).
struct Turn {
    long long m_number = 0;  // 1 for the first turn
    ParticipantId m_speaker = 0;
    CPlainString m_text;
    ExchangeOutcome m_outcome;
    int m_quarantined = 0;  // turns its speaker now sits out for failing, 0: none
};

}  // namespace jabbery
