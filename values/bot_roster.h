// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "values/conversation_facts.h"
#include "values/plain_string.h"

namespace jabbery {

// What Jabbery knows of every linked bot, indexed by bot number. Filled
// once during set-up and only read afterwards.
struct BotRoster {
    std::array<CPlainString, kMaxBots> m_botCommand;    // descriptor line 3, unchanged
    std::array<CPlainString, kMaxBots> m_botFolder;     // chosen folder + "/"
    std::array<CPlainString, kMaxBots> m_botFolderRtf;  // m_botFolder, backslashes doubled
    std::array<CPlainString, kMaxBots> m_botName;       // descriptor line 4, unchanged
};

}  // namespace jabbery
