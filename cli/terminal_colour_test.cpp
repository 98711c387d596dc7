// SPDX-License-Identifier: MIT
#include "cli/terminal_colour.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

TEST(ForegroundEscape, GivesTwentyFourBitColourOnlyWhenColortermSaysSo) {
    const BotColour orange{255, 128, 0};
    for (const char* colorterm : {"truecolor", "24bit"}) {
        EXPECT_EQ(ForegroundEscape(orange, colorterm), "\x1b[38;2;255;128;0m") << colorterm;
    }
    for (const char* colorterm : {static_cast<const char*>(nullptr), "", "yes", "TRUECOLOR"}) {
        EXPECT_EQ(ForegroundEscape(orange, colorterm), "\x1b[38;5;208m")
            << (colorterm ? colorterm : "unset");
    }
}

TEST(NearestPaletteColour, TakesTheNearestOfTheCubeAndTheGreyRamp) {
    const struct {
        BotColour m_colour;
        int m_index;
    } cases[] = {
        {{255, 0, 0}, 196},     {{0, 255, 0}, 46},      {{0, 0, 128}, 18}, {{150, 58, 140}, 96},
        {{249, 149, 149}, 210}, {{128, 128, 128}, 244},  // grey 128 exactly, nearer than the cube's
                                                         // 135
        {{0, 0, 0}, 16},        {{255, 255, 255}, 231},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NearestPaletteColour(c.m_colour), c.m_index)
            << int(c.m_colour.m_red) << "," << int(c.m_colour.m_green) << ","
            << int(c.m_colour.m_blue);
    }
}

}  // namespace
}  // namespace jabbery
