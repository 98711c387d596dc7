// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace jabbery {

// Makes text a bot controls (a name, a reply, its output) safe to show on a
// terminal: C0 controls but tab, DEL, the C1 controls U+0080 to U+009F and
// the raw bytes 0x80 to 0x9F that are not part of a valid UTF-8 sequence
// each become '?', so no bot can move the cursor, clear the screen or set
// the title. Every other byte passes unchanged.
std::string ForTerminal(std::string_view text);

// `text` through ForTerminal when it goes to a terminal, else as it is.
std::string ShownOn(std::string_view text, bool for_terminal);

}  // namespace jabbery
