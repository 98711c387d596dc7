// SPDX-License-Identifier: MIT
#include "values/readable_colour.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace jabbery {
namespace {

// The hue in degrees (0 to 360) of a colour that has one.
double Hue(const BotColour& colour) {
    const double r = colour.m_red, g = colour.m_green, b = colour.m_blue;
    const double high = std::max({r, g, b});
    const double chroma = high - std::min({r, g, b});
    double sixths = high == r   ? std::fmod((g - b) / chroma + 6, 6)
                    : high == g ? (b - r) / chroma + 2
                                : (r - g) / chroma + 4;
    return sixths * 60;
}

int Chroma(const BotColour& colour) {
    return std::max({colour.m_red, colour.m_green, colour.m_blue}) -
           std::min({colour.m_red, colour.m_green, colour.m_blue});
}

// Every bot's colour, and colours a bot's own line may ask for, through
// the colour cube in steps of 17.
std::vector<BotColour> ColoursToShow() {
    std::vector<BotColour> colours(kBotColours.begin(), kBotColours.end());
    for (int r = 0; r < 256; r += 17) {
        for (int g = 0; g < 256; g += 17) {
            for (int b = 0; b < 256; b += 17) {
                colours.push_back({static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                                   static_cast<unsigned char>(b)});
            }
        }
    }
    return colours;
}

TEST(ContrastRatio, IsWcagsRatioOfRelativeLuminances) {
    EXPECT_DOUBLE_EQ(ContrastRatio({0, 0, 0}, kWhitePage), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio(kWhitePage, kWhitePage), 1.0);
    EXPECT_NEAR(ContrastRatio({255, 0, 0}, kWhitePage), 4.00, 0.005);
    EXPECT_NEAR(ContrastRatio({0, 255, 0}, kWhitePage), 1.37, 0.005);
    EXPECT_NEAR(ContrastRatio(kWhitePage, {0, 0, 255}), 8.59, 0.005);
}

// On a white page (the window's) and a black one: every colour reads, keeps
// its hue, is left alone when it read already, and otherwise changes no
// more than it must (a level less would not read).
TEST(ReadableOn, ReachesReadableContrastWithinTheHueChangingOnlyWhatDoesNotRead) {
    const BotColour pages[] = {kWhitePage, {0, 0, 0}};
    for (const BotColour& page : pages) {
        for (const BotColour& colour : ColoursToShow()) {
            const BotColour shown = ReadableOn(colour, page);
            const std::string what =
                std::to_string(colour.m_red) + "," + std::to_string(colour.m_green) + "," +
                std::to_string(colour.m_blue) + " on " + std::to_string(page.m_red);
            EXPECT_GE(ContrastRatio(shown, page), kReadableContrast) << what;
            const double before = ContrastRatio(colour, page);
            if (before >= kReadableContrast) {
                EXPECT_EQ(shown, colour) << what;
                continue;
            }
            EXPECT_LT(ContrastRatio(shown, page), kReadableContrast + 0.25) << what;
            if (Chroma(colour) == 0) {
                EXPECT_TRUE(shown.m_red == shown.m_green && shown.m_green == shown.m_blue) << what;
            } else if (Chroma(shown) >= 32) {
                EXPECT_NEAR(Hue(shown), Hue(colour), 2.0) << what;
            }
        }
    }
}

}  // namespace
}  // namespace jabbery
