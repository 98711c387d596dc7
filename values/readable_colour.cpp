// SPDX-License-Identifier: MIT
#include "values/readable_colour.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace jabbery {
namespace {

constexpr BotColour kBlack{0, 0, 0};
constexpr BotColour kWhite{255, 255, 255};

// An sRGB channel (0 to 255) as linear light (0 to 1).
double Linear(unsigned char channel) {
    const double value = channel / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

unsigned char Rounded(double channel) {
    return static_cast<unsigned char>(std::lround(std::clamp(channel, 0.0, 255.0)));
}

// The least step in 0..`last` for which `reads(step)` holds, given that it
// holds for every step after one that does; `last` when none does.
int FirstReadableStep(int last, const std::function<bool(int)>& reads) {
    int low = 0;
    int high = last;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (reads(middle)) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low;
}

}  // namespace

double RelativeLuminance(const BotColour& colour) {
    return 0.2126 * Linear(colour.m_red) + 0.7152 * Linear(colour.m_green) +
           0.0722 * Linear(colour.m_blue);
}

double ContrastRatio(const BotColour& first, const BotColour& second) {
    const double a = RelativeLuminance(first) + 0.05;
    const double b = RelativeLuminance(second) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

BotColour ReadableOn(const BotColour& colour, const BotColour& page) {
    if (ContrastRatio(colour, page) >= kReadableContrast) return colour;
    // Scaling every channel alike, or moving every channel the same share of
    // the way to white, keeps the ratios between the channels' distances from
    // one another, which is what the hue is. Each step is one level of 255;
    // the contrast grows with every step, so a search finds the least one.
    const int kSteps = 255;
    if (ContrastRatio(kBlack, page) >= ContrastRatio(kWhite, page)) {
        const auto darkened = [&](int step) {
            const double keep = 1.0 - step / double(kSteps);
            return BotColour{Rounded(colour.m_red * keep), Rounded(colour.m_green * keep),
                             Rounded(colour.m_blue * keep)};
        };
        return darkened(FirstReadableStep(kSteps, [&](int step) {
            return ContrastRatio(darkened(step), page) >= kReadableContrast;
        }));
    }
    const auto lightened = [&](int step) {
        const double share = step / double(kSteps);
        return BotColour{Rounded(colour.m_red + (255 - colour.m_red) * share),
                         Rounded(colour.m_green + (255 - colour.m_green) * share),
                         Rounded(colour.m_blue + (255 - colour.m_blue) * share)};
    };
    return lightened(FirstReadableStep(kSteps, [&](int step) {
        return ContrastRatio(lightened(step), page) >= kReadableContrast;
    }));
}

}  // namespace jabbery
