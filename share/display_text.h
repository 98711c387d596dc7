// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace jabbery {

// `text` as a page shows it: valid UTF-8, each byte that starts no valid
// sequence replaced by U+FFFD (as the JSON Lines log keeps it), and each
// control character (a tab too) a space, so that it stays one line.
std::string DisplayText(std::string_view text);

}  // namespace jabbery
