// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace jabbery {

// Writes all of `data` to `fd`, going on after partial and interrupted
// writes. Returns 0, or the error number of the write that failed.
int WriteAll(int fd, std::string_view data);

// Adds `data` at the end of the regular file `fd` (opened with O_APPEND)
// whole or not at all: when a write fails part-way (a full disk, a file
// size limit), the file is cut back to the size it had, so it never ends
// in half a line. With `sync`, the data is on the disk before this returns,
// and a sync that fails (where a full disk may first show) counts as a
// failed write. Returns 0, or the error number of what failed.
int AppendWhole(int fd, std::string_view data, bool sync = false);

}  // namespace jabbery
