// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

namespace jabbery {

class RunCanceller;

// Ctrl-C (SIGINT) and SIGTERM for a terminal program. The first one fires
// `canceller`, so the work in flight stops at once and the program can wind
// up (and save what it has), and gives it `grace` to end. When the grace is
// over, or at a second signal, the program is ended by that signal, so it
// always ends soon, whatever it is waiting on (a write that blocks included).
// Process-wide; call once, from the main thread; `canceller` must outlive
// the program's run.
void InstallStopSignals(RunCanceller& canceller, std::chrono::milliseconds grace);

}  // namespace jabbery
