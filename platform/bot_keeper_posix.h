// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
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
// A run costs one message to the keeper and one report back through a
// pipe, no process start beside the bot's own, and the clean-up after a
// run happens in the keeper after its report: it never holds up the
// caller. All calls are thread-safe.

// Starts the keeper now, if it is not running. 0, or an error number.
int StartKeeper();

// Has the keeper start `/bin/sh -c -- command_line`, leading a session
// and process group of its own, in the folder `folder_fd`, with /dev/null
// as its standard input, `output_fd` as its standard output and error and
// `environment` (entries, the last of which is the run's marker) as its
// environment; `run` is the caller's number for it, unique in this process.
// When the shell has ended (or could not start) the keeper kills what is
// left of its group, reaps it and writes the run's report to `report_fd`
// once (see ReadRunReport); then it ends and reaps everything else the run
// left (what carries the marker of another run still in flight is spared
// until that run ends). Returns 0 and the keeper's pid in `keeper`, or an
// error number when the request could not be made.
int StartThroughKeeper(std::uint64_t run, const std::string& command_line, int folder_fd,
                       int output_fd, int report_fd, const std::vector<char*>& environment,
                       pid_t& keeper);

// Has the keeper kill the group of run `run` at once, waking the keeper
// should a bot have stopped it; its end is then reported as any end is.
void StopThroughKeeper(std::uint64_t run);

// Reads a run's report from `report_fd`, waiting at most `patience` for
// it: 0 with the shell's wait status in `status`, the error number for
// which the shell could not start, or -1 when the keeper went without a
// word or gave none in time.
int ReadRunReport(int report_fd, int& status, std::chrono::milliseconds patience);

// Kills the keeper `keeper` (as StartThroughKeeper named it) and reaps it,
// unless it is gone already: one that gave no report in time is held up
// for good (a bot stops it again whenever it is woken). What it kept is
// then the callers' to end, by their runs' markers; the next start starts
// a new keeper.
void KillKeeper(pid_t keeper);

}  // namespace jabbery
