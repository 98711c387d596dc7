// SPDX-License-Identifier: MIT
#include "cli/terminal_colour.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

TEST(ForegroundEscape, IsTwentyFourBitOnlyWhenColortermSaysSoElseTheNearestPaletteColour) {
    const BotColour orange{255, 128, 0};
    EXPECT_EQ(ForegroundEscape(orange, "truecolor"), "\x1b[38;2;255;128;0m");
    EXPECT_EQ(ForegroundEscape(orange, "24bit"), "\x1b[38;2;255;128;0m");
    for (const char* colorterm : {static_cast<const char*>(nullptr), "", "yes"}) {
        EXPECT_EQ(ForegroundEscape(orange, colorterm), "\x1b[38;5;208m");
    }
    // From the colour cube, or the grey ramp when that is nearer.
    EXPECT_EQ(NearestPaletteColour({150, 58, 140}), 96);
    EXPECT_EQ(NearestPaletteColour({249, 149, 149}), 210);
    EXPECT_EQ(NearestPaletteColour({128, 128, 128}), 244);
}

}  // namespace
}  // namespace jabbery
