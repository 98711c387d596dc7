// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

#include "values/bot_colours.h"

namespace jabbery {

// The terminal's background as far as COLORFGBG (`colorfgbg`, null when
// unset) tells it. Its last field is the background's colour number: 0 to 6
// and 8 are dark, 7 and 9 to 15 light ("15;0" is light text on a dark
// background). Themes differ in the exact shade, so a dark background is
// taken as a dark grey and a light one as a light grey: a colour readable
// there reads on anything darker or lighter still. None when unset or unclear.
std::optional<BotColour> TerminalBackground(const char* colorfgbg);

// Entry `index` (16 to 255) of the terminal's 256-colour palette.
BotColour PaletteColour(int index);

// The index of the colour nearest `colour` in the terminal's 256-colour
// palette, from its 6x6x6 colour cube and its grey ramp (the first 16
// entries are left out: every terminal theme changes them). With a known
// `background`, only entries readable on it (ReadableOn) are candidates.
int NearestPaletteColour(const BotColour& colour,
                         const std::optional<BotColour>& background = std::nullopt);

// The escape sequence that sets the text colour to `colour`, darkened or
// lightened within its hue to read on `background` when that is known:
// 24-bit when `colorterm` (the COLORTERM variable, null when unset) says the
// terminal shows it ("truecolor" or "24bit"), else the nearest palette
// colour, which every colour terminal shows.
std::string ForegroundEscape(const BotColour& colour, const char* colorterm,
                             const std::optional<BotColour>& background = std::nullopt);

}  // namespace jabbery
