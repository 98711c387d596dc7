// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "values/conversation_facts.h"

namespace jabbery {

// A bot's colour: entry `bot number` of the transcript's colour table.
struct BotColour {
    unsigned char m_red, m_green, m_blue;

    bool operator==(const BotColour&) const = default;
};

// One colour per bot number, in the order of the transcript's colour table.
inline constexpr std::array<BotColour, kMaxBots> kBotColours = {{
    {0, 0, 0},
    {255, 0, 0},
    {0, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {128, 128, 128},
    {128, 0, 0},
    {0, 128, 0},
    {0, 0, 128},
    {255, 128, 0},
    {150, 58, 140},
    {144, 132, 0},
    {249, 149, 149},
    {116, 68, 52},
}};

}  // namespace jabbery
