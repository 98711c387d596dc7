// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "values/conversation_facts.h"

namespace jabbery {

// A one-way switch that stops every RunHidden waiting on it, and any
// WaitFor in progress, at once. Cancel is async-signal-safe, so a SIGINT
// handler may call it, and any thread may call it. Once cancelled it stays
// cancelled.
class RunCanceller {
  public:
    RunCanceller();
    ~RunCanceller();
    RunCanceller(const RunCanceller&) = delete;
    RunCanceller& operator=(const RunCanceller&) = delete;

    void Cancel() noexcept;
    bool IsCancelled() const noexcept;

    // Sleeps for `duration`; returns true early when cancelled.
    bool WaitFor(std::chrono::milliseconds duration) const;

    // The descriptor that becomes readable on Cancel (for the runner's poll),
    // or -1 when none could be made; waiters then look at IsCancelled often.
    int EventDescriptor() const noexcept { return m_eventFd; }

  private:
    int m_eventFd;
    std::atomic<bool> m_cancelled{false};
};

// How long a bot may run, and who may stop it early.
struct RunLimits {
    std::chrono::milliseconds m_limit{kBotTimeLimit};
    const RunCanceller* m_canceller = nullptr;
};

// How a run ended.
enum class RunEnd {
    kExited,       // the shell ended by itself; m_code is its exit status
    kSignalled,    // the shell was ended by a signal; m_code is 128 + signal
    kTimedOut,     // the limit passed and the process group was killed; m_code is 0
    kCancelled,    // the canceller fired and the process group was killed; m_code is 0
    kStartFailed,  // no process could be started; m_code is the errno value
};

// How much of what a bot writes to its standard output and error is kept:
// the last bytes, for telling why a bot failed.
inline constexpr std::size_t kOutputTailBytes = 4096;

struct RunResult {
    RunEnd m_end = RunEnd::kStartFailed;
    std::uint32_t m_code = 0;
    std::chrono::milliseconds m_elapsed{0};  // from the start to the end of the wait
    std::string m_outputTail;                // the last kOutputTailBytes of its output
};

// Runs `command_line` through `/bin/sh -c` with `working_folder` as its
// current directory, hidden: stdin is /dev/null, stdout and stderr go to
// one pipe of which only the last kOutputTailBytes are kept (read as the
// bot writes, so a chatty bot neither blocks nor grows our memory), and no
// descriptor of ours is inherited. The shell is started by the keeper
// (bot_keeper_posix.h), leading a session of its own without a terminal;
// when the run ends, however it ends, its group is killed and everything
// else it started, whatever it did to its session, group or environment,
// is ended by the keeper, so nothing the bot started outlives its turn.
// A canceller that has already fired starts nothing and gives kCancelled.
// Waits at most the limit (plus the moment a killed shell takes to die);
// the clean-up of what the bot left never adds to it.
RunResult RunHidden(const std::string& command_line, const std::string& working_folder,
                    const RunLimits& limits);

// RunHidden in the folder open as `folder_fd`, whatever now has its name,
// with the "NAME=value" entries of `environment` in place of any of their
// names the bot would inherit.
RunResult RunHiddenAt(const std::string& command_line, int folder_fd, const RunLimits& limits,
                      const std::vector<std::string>& environment = {});

// Starts now what runs the bots (a process of its own, made by fork), which
// RunHidden otherwise starts at its first run. A program that runs bots from
// several threads calls it before it starts them: a process forked while
// other threads run may find a lock they held taken for ever. 0, or an
// error number.
int PrepareHiddenRuns();

}  // namespace jabbery
