// SPDX-License-Identifier: MIT
#pragma once

#include "values/bot_colours.h"

namespace jabbery {

// The contrast text needs against its background to read easily: WCAG 2's
// level AA for normal text.
inline constexpr double kReadableContrast = 4.5;

// The transcript view's page.
inline constexpr BotColour kWhitePage{255, 255, 255};

// WCAG 2 relative luminance of an sRGB colour: 0 for black, 1 for white.
double RelativeLuminance(const BotColour& colour);

// WCAG 2 contrast ratio of two colours, from 1 (the same) to 21 (black on white).
double ContrastRatio(const BotColour& first, const BotColour& second);

// `colour` as text on `page` shows it: unchanged when its contrast is at
// least kReadableContrast, else darkened (on a light page: every channel
// scaled down alike) or lightened (on a dark page: mixed with white) just
// enough to reach it. Either way the hue stays; only lightness changes.
BotColour ReadableOn(const BotColour& colour, const BotColour& page);

}  // namespace jabbery
