// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace jabbery {

// Marking the processes of one run of a bot: each run hands its bot an
// environment entry of its own, which every descendant inherits unless it
// drops it. The keeper (bot_keeper_posix.h) ends everything a run left
// whether marked or not; the marker tells which orphans belong to another
// run still in flight, so that the end of one run spares them, and what a
// run left should the keeper itself be killed.

// The environment variable that marks a run's processes.
inline constexpr const char* kExchangeMarkerName = "JABBERY_EXCHANGE";

// A "JABBERY_EXCHANGE=<pid>.<count>" entry no other run of this process has.
std::string NewExchangeMarker();

// Our environment with `marker` in place of any marker inherited from a
// parent, and the "NAME=value" entries of `extra` in place of any inherited
// entries of their names, as an array for exec; the pointers stay valid
// while `marker`, `extra` and the environment do.
std::vector<char*> EnvironmentWith(const std::string& marker,
                                   const std::vector<std::string>& extra = {});

// The children of process `process`, from every thread's list (an orphan
// comes to one of its threads), zombies included.
std::vector<pid_t> ChildrenOf(pid_t process);

// Kills every process that has `marker` in its environment, looking again
// until a look finds none (they may start more as they die) or `patience`
// has passed: what a run left when the keeper went before it could end it.
void KillMarkedProcesses(const std::string& marker, std::chrono::milliseconds patience);

// True when the live process `pid` has `marker` in its environment, or
// when its environment reads empty: a process in the middle of exec shows
// none for a moment, so it cannot be told apart then.
bool MayCarryMarker(pid_t pid, const std::string& marker);

}  // namespace jabbery
