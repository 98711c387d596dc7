// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>

namespace jabbery {

// True when `stream` writes to a terminal (so colour codes make sense there).
bool IsTerminal(std::FILE* stream);

}  // namespace jabbery
