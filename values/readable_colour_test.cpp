// SPDX-License-Identifier: MIT
#include "values/readable_colour.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace jabbery {
namespace {

TEST(ContrastRatio, IsWcagsRatioOfRelativeLuminances) {
    EXPECT_DOUBLE_EQ(ContrastRatio({0, 0, 0}, kWhitePage), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio(kWhitePage, kWhitePage), 1.0);
    EXPECT_NEAR(ContrastRatio({255, 0, 0}, kWhitePage), 4.00, 0.005);
    EXPECT_NEAR(ContrastRatio(kWhitePage, {0, 255, 0}), 1.37, 0.005);
}

// The hue in degrees and the chroma (max - min channel) of a colour.
std::pair<double, int> HueAndChroma(const BotColour& c) {
    const int high = std::max({c.m_red, c.m_green, c.m_blue});
    const int chroma = high - std::min({c.m_red, c.m_green, c.m_blue});
    if (chroma == 0) return {0.0, 0};
    const double r = c.m_red, g = c.m_green, b = c.m_blue;
    const double sixths = high == c.m_red     ? std::fmod((g - b) / chroma + 6, 6)
                          : high == c.m_green ? (b - r) / chroma + 2
                                              : (r - g) / chroma + 4;
    return {sixths * 60, chroma};
}

// Every bot's colour and a cube in steps of 17 (what a line may ask for), on a
// white page and a black one; a grey stays grey, a readable colour unchanged.
TEST(ReadableOn, ReachesReadableContrastWithinTheHueChangingOnlyWhatDoesNotRead) {
    std::vector<BotColour> colours(kBotColours.begin(), kBotColours.end());
    for (int i = 0; i < 16 * 16 * 16; ++i) {
        colours.push_back({static_cast<unsigned char>(i / 256 * 17),
                           static_cast<unsigned char>(i / 16 % 16 * 17),
                           static_cast<unsigned char>(i % 16 * 17)});
    }
    for (const BotColour& page : {kWhitePage, BotColour{0, 0, 0}}) {
        for (const BotColour& colour : colours) {
            const BotColour shown = ReadableOn(colour, page);
            SCOPED_TRACE(::testing::Message() << +colour.m_red << "," << +colour.m_green << ","
                                              << +colour.m_blue << " on " << +page.m_red);
            const double contrast = ContrastRatio(shown, page);
            EXPECT_GE(contrast, kReadableContrast);
            if (ContrastRatio(colour, page) >= kReadableContrast) {
                EXPECT_EQ(shown, colour);
                continue;
            }
            EXPECT_LT(contrast, kReadableContrast + 0.25);
            const auto [hue, chroma] = HueAndChroma(colour);
            const auto [shown_hue, shown_chroma] = HueAndChroma(shown);
            EXPECT_TRUE(chroma > 0 || shown_chroma == 0) << "a grey stays grey";
            EXPECT_TRUE(shown_chroma < 32 || std::abs(shown_hue - hue) <= 2.0);
        }
    }
}

}  // namespace
}  // namespace jabbery
