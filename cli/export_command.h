// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>

#include "cli/options.h"

namespace jabbery {

// --export FORMAT LOG OUT: reads the conversation LOG recorded and writes it
// to OUT, a file that must not exist yet, as FORMAT. Lines of the log that
// cannot be read are named on `err` (unless --quiet) and left out. Returns
// the exit status: 0 when OUT was written, 2 when nothing was.
int RunExport(const CliOptions& options, std::FILE* err);

}  // namespace jabbery
