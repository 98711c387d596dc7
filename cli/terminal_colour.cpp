// SPDX-License-Identifier: MIT
#include "cli/terminal_colour.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "values/readable_colour.h"

namespace jabbery {
namespace {

// The shades a dark and a light terminal background are taken to be: as
// light and as dark as common themes' backgrounds go.
constexpr BotColour kDarkBackground{0x30, 0x30, 0x30};
constexpr BotColour kLightBackground{0xEE, 0xEE, 0xEE};

// The channel levels of the palette's colour cube (entries 16 to 231).
constexpr unsigned char kCubeLevels[6] = {0, 95, 135, 175, 215, 255};
constexpr int kCubeStart = 16;
// The grey ramp (entries 232 to 255): 8, 18, ..., 238.
constexpr int kGreyStart = 232;
constexpr int kPaletteEnd = 256;

int Distance(const BotColour& a, const BotColour& b) {
    const int red = a.m_red - b.m_red;
    const int green = a.m_green - b.m_green;
    const int blue = a.m_blue - b.m_blue;
    return red * red + green * green + blue * blue;
}

}  // namespace

BotColour PaletteColour(int index) {
    if (index >= kGreyStart) {
        const auto grey = static_cast<unsigned char>(8 + 10 * (index - kGreyStart));
        return {grey, grey, grey};
    }
    const int cube = index - kCubeStart;
    return {kCubeLevels[cube / 36], kCubeLevels[cube / 6 % 6], kCubeLevels[cube % 6]};
}

std::optional<BotColour> TerminalBackground(const char* colorfgbg) {
    if (colorfgbg == nullptr) return std::nullopt;
    const std::string_view text(colorfgbg);
    const std::string_view last = text.substr(text.find_last_of(';') + 1);
    int number = -1;
    const auto [end, error] = std::from_chars(last.data(), last.data() + last.size(), number);
    if (last.empty() || error != std::errc() || end != last.data() + last.size() || number < 0 ||
        number > 15) {
        return std::nullopt;
    }
    const bool dark = number <= 6 || number == 8;
    return dark ? kDarkBackground : kLightBackground;
}

int NearestPaletteColour(const BotColour& colour, const std::optional<BotColour>& background) {
    int best = -1;
    for (int index = kCubeStart; index < kPaletteEnd; ++index) {
        const BotColour entry = PaletteColour(index);
        if (background && ContrastRatio(entry, *background) < kReadableContrast) continue;
        if (best < 0 || Distance(colour, entry) < Distance(colour, PaletteColour(best)))
            best = index;
    }
    return best;
}

std::string ForegroundEscape(const BotColour& colour, const char* colorterm,
                             const std::optional<BotColour>& background) {
    const BotColour shown = background ? ReadableOn(colour, *background) : colour;
    const bool true_colour = colorterm != nullptr && (std::strcmp(colorterm, "truecolor") == 0 ||
                                                      std::strcmp(colorterm, "24bit") == 0);
    if (true_colour) {
        return "\x1b[38;2;" + std::to_string(shown.m_red) + ";" + std::to_string(shown.m_green) +
               ";" + std::to_string(shown.m_blue) + "m";
    }
    return "\x1b[38;5;" + std::to_string(NearestPaletteColour(shown, background)) + "m";
}

}  // namespace jabbery
