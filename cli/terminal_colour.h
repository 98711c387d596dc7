// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "values/bot_colours.h"

namespace jabbery {

// The index of the colour nearest `colour` in the terminal's 256-colour
// palette, taken from its 6x6x6 colour cube and its grey ramp (the first 16
// entries are left out: every terminal theme changes them).
int NearestPaletteColour(const BotColour& colour);

// The escape sequence that sets the text colour to `colour`: 24-bit when
// `colorterm` (the COLORTERM variable, null when unset) says the terminal
// shows it ("truecolor" or "24bit"), else the nearest palette colour, which
// every colour terminal shows.
std::string ForegroundEscape(const BotColour& colour, const char* colorterm);

}  // namespace jabbery
