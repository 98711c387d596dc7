// SPDX-License-Identifier: MIT
#include "cli/terminal_colour.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace jabbery {
namespace {

// The channel levels of the palette's colour cube (entries 16 to 231).
constexpr int kCubeLevels[6] = {0, 95, 135, 175, 215, 255};
constexpr int kCubeStart = 16;
// The grey ramp (entries 232 to 255): 8, 18, ..., 238.
constexpr int kGreyStart = 232;
constexpr int kGreySteps = 24;

int NearestCubeLevel(int channel) {
    int best = 0;
    for (int i = 1; i < 6; ++i) {
        if (std::abs(kCubeLevels[i] - channel) < std::abs(kCubeLevels[best] - channel)) best = i;
    }
    return best;
}

int Distance(int r1, int g1, int b1, int r2, int g2, int b2) {
    return (r1 - r2) * (r1 - r2) + (g1 - g2) * (g1 - g2) + (b1 - b2) * (b1 - b2);
}

}  // namespace

int NearestPaletteColour(const BotColour& colour) {
    const int r = colour.m_red, g = colour.m_green, b = colour.m_blue;
    const int cr = NearestCubeLevel(r), cg = NearestCubeLevel(g), cb = NearestCubeLevel(b);
    const int cube_distance = Distance(r, g, b, kCubeLevels[cr], kCubeLevels[cg], kCubeLevels[cb]);
    const int grey_step = std::clamp(((r + g + b) / 3 - 8 + 5) / 10, 0, kGreySteps - 1);
    const int grey = 8 + 10 * grey_step;
    if (Distance(r, g, b, grey, grey, grey) < cube_distance) return kGreyStart + grey_step;
    return kCubeStart + 36 * cr + 6 * cg + cb;
}

std::string ForegroundEscape(const BotColour& colour, const char* colorterm) {
    const bool true_colour = colorterm != nullptr && (std::strcmp(colorterm, "truecolor") == 0 ||
                                                      std::strcmp(colorterm, "24bit") == 0);
    if (true_colour) {
        return "\x1b[38;2;" + std::to_string(colour.m_red) + ";" + std::to_string(colour.m_green) +
               ";" + std::to_string(colour.m_blue) + "m";
    }
    return "\x1b[38;5;" + std::to_string(NearestPaletteColour(colour)) + "m";
}

}  // namespace jabbery
