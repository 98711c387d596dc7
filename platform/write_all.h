// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace jabbery {

// Writes all of `data` to `fd`, going on after partial and interrupted
// writes. Returns 0, or the error number of the write that failed.
int WriteAll(int fd, std::string_view data);

}  // namespace jabbery
