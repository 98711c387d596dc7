// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

namespace jabbery {

class RunCanceller;

// The stop signals of a terminal program: Ctrl-C (SIGINT), SIGTERM, the
// terminal closing (SIGHUP) and Ctrl-\ (SIGQUIT). The first one fires
// `canceller`, so the work in flight stops at once and the program can wind
// up (and save what it has), and gives it `grace` to end. When the grace is
// over, or at a second signal, the program is ended by that signal, so it
// always ends soon, whatever it is waiting on, with the terminal's saved
// modes put back (terminal_modes.h). A SIGHUP ignored when the
// program starts (nohup) stays ignored. SIGPIPE is ignored: a reader that went away shows as a
// failed write (EPIPE), which the program handles as it sees fit; so is SIGXFSZ: a file
// size limit shows as a failed write (EFBIG).
// Process-wide; call once, from the main thread; `canceller` must outlive
// the program's run.
void InstallStopSignals(RunCanceller& canceller, std::chrono::milliseconds grace);

// The stop signal that came first, or 0 when none has.
int StopSignalReceived();

}  // namespace jabbery
