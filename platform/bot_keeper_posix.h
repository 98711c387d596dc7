// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace jabbery {

// Every bot of this program is started by one helper process of ours, the
// keeper, forked on the first start and living as long as the program
// (a process that forks starts a keeper of its own). The keeper is a child
// subreaper in a session of its own, without a controlling terminal, so:
// - whatever a bot starts, however it changes its session, group or
//   environment, becomes the keeper's child when its parent ends, and the
//   keeper ends every such orphan once the bot's run is finished, and reaps
//   it: nothing is left, not even a zombie, and this program never adopts
//   anything (the window's own launches are not the keeper's business);
// - no bot can take over the terminal: it has none to open;
// - when this program ends, however (kill -9 too), the keeper's end of
//   their socket hangs up; it then ends every process it has, and itself.
// The keeper starts a bot as posix_spawn would, so a run costs two short
// messages over a socket more than starting it directly, and the clean-up
// after a run happens in the keeper, after its answer: it never holds up
// the caller. All calls are thread-safe.

// Starts `/bin/sh -c -- command_line` through the keeper, leading a session
// and process group of its own, in the folder `folder_fd`, with /dev/null
// as its standard input, `output_fd` as its standard output and error and
// `environment` (entries, the last of which is the run's marker) as its
// environment. Returns 0 and the shell's pid, or an error number.
int StartThroughKeeper(const std::string& command_line, int folder_fd, int output_fd,
                       const std::vector<char*>& environment, pid_t& pid);

// True when the shell `pid` has ended (it stays unreaped until FinishThroughKeeper).
bool HasEndedInKeeper(pid_t pid);

// Ends the run of the shell `pid`: kills its process group, reaps the shell
// and has everything else the run left ended and reaped (what carries the
// marker of another run still in flight is spared until that run ends).
// True with the shell's wait status in `status`; false when none could be had.
bool FinishThroughKeeper(pid_t pid, int& status);

}  // namespace jabbery
