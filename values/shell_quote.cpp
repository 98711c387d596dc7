// SPDX-License-Identifier: MIT
#include "values/shell_quote.h"

namespace jabbery {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace jabbery
