// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace jabbery {

// `text` as one word for /bin/sh, whatever characters it holds: in single
// quotes, each single quote written as '\''.
std::string ShellQuote(const std::string& text);

}  // namespace jabbery
