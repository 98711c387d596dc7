// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace jabbery {

// Ending everything one run of a bot started, and nothing else, also what
// escaped its process group (setsid, setpgid). The program becomes a child
// subreaper, so orphans of its runs become its own children instead of
// init's; each run hands its bot an environment entry of its own, which
// every descendant inherits (across setsid too); after the group is killed,
// the children carrying that entry are killed and reaped by pid. Children
// the program started otherwise (a browser, a file manager, their orphans)
// are left alone: nothing here ever waits for any child but by its pid.

// The environment variable that marks a run's processes.
inline constexpr const char* kExchangeMarkerName = "JABBERY_EXCHANGE";

// Makes this process the reaper of its orphaned descendants; once, on the
// first call. False when the kernel does not allow it.
bool BecomeChildSubreaper();

// A "JABBERY_EXCHANGE=<pid>.<count>" entry no other run of this process has.
std::string NewExchangeMarker();

// Our environment with `marker` in place of any marker inherited from a
// parent, as an array for exec; the pointers stay valid while `marker` and
// the environment do.
std::vector<char*> EnvironmentWith(const std::string& marker);

// Kills and reaps, by pid, every child of ours that is in process group
// `group` (already killed) or carries `marker`, or is in the group of one
// that carried it; goes on while members of `group` remain, for at most
// `patience`, since members die and come to us one by one.
void EndRunsChildren(pid_t group, const std::string& marker, std::chrono::milliseconds patience);

}  // namespace jabbery
