// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/bot_keeper_posix.h"
#include "platform/exchange_marker.h"
#include "platform/run_hidden.h"
#include "platform/unique_fd.h"

namespace jabbery {

namespace {

using Clock = std::chrono::steady_clock;

static_assert(std::atomic<bool>::is_always_lock_free,
              "Cancel stores the flag from signal handlers, which needs a lock-free atomic");

// How often a wait looks again at a canceller without an event descriptor.
constexpr std::chrono::milliseconds kPollSlice{10};

// Longer limits are cut to this, so that adding a limit to the clock cannot overflow.
constexpr std::chrono::milliseconds kLongestLimit{std::chrono::hours(24 * 365)};

// How long a run goes on ending what it left when the keeper is gone.
constexpr std::chrono::milliseconds kStrayPatience{2000};

// How long a run's report may take once its end is known or asked for:
// the keeper has only to kill the group and reap the shell.
constexpr std::chrono::milliseconds kReportPatience{5000};

// A run in the keeper (bot_keeper_posix.h) and the pipe through which it
// reports the run's end. The destructor ends the run when nobody did.
class KeptRun {
  public:
    // Makes the report pipe; false with errno set when it cannot be had.
    bool Open() {
        int fds[2];
        // Close-on-exec: only the keeper gets the write end, through the socket.
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        m_report = UniqueFd(fds[0]);
        m_keeperEnd = UniqueFd(fds[1]);
        return true;
    }

    // Asks the keeper to start the shell. 0 or an error number.
    int Start(const std::string& command_line, int folder_fd, int output_fd,
              const std::vector<std::string>& environment) {
        static std::atomic<std::uint64_t> count{0};
        m_number = ++count;
        m_marker = NewExchangeMarker();
        const int error =
            StartThroughKeeper(m_number, command_line, folder_fd, output_fd, m_keeperEnd.Get(),
                               EnvironmentWith(m_marker, environment), m_keeper);
        // Only the keeper holds the write end now: should it go, the pipe says so.
        m_keeperEnd.Reset();
        m_started = error == 0;
        return error;
    }

    // Readable once the run is over.
    int ReportEnd() const { return m_report.Get(); }

    // True once the keeper has reported the run's end.
    bool HasEnded() const {
        pollfd fd{m_report.Get(), POLLIN, 0};
        // A zero timeout only looks.
        return ::poll(&fd, 1, 0) != 0;
    }

    // Ends the run (at once when `stop`) and waits for its report: 0 with
    // the shell's wait status, the error number for which it could not
    // start, or -1 when no status could be had.
    int End(bool stop, int& status) {
        if (!m_started) return -1;
        m_started = false;
        if (stop) StopThroughKeeper(m_number);
        const int reported = ReadRunReport(m_report.Get(), status, kReportPatience);
        // The keeper went without a word (a bot killed it) or is held up
        // (a bot keeps stopping it), and goes: what the run started is
        // nobody's to end now but ours.
        if (reported < 0) {
            KillKeeper(m_keeper);
            KillMarkedProcesses(m_marker, kStrayPatience);
        }
        return reported;
    }

    ~KeptRun() {
        int ignored = 0;
        End(true, ignored);
    }

  private:
    UniqueFd m_report;
    UniqueFd m_keeperEnd;
    std::uint64_t m_number = 0;
    pid_t m_keeper = -1;
    std::string m_marker;
    bool m_started = false;
};

// The read end of the pipe that carries the bot's standard output and
// error, and the last kOutputTailBytes that came through it.
class OutputTail {
  public:
    // Makes the pipe; false with errno set when it cannot be had.
    bool Open() {
        int fds[2];
        // Close-on-exec: the ends must not leak into other bots (the child
        // gets its copies through dup2, which clears the flag).
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        m_read = UniqueFd(fds[0]);
        m_write = UniqueFd(fds[1]);
        // Only our end is non-blocking, so draining never waits; the bot's
        // end blocks as any pipe does, or its writes would fail when it is full.
        return ::fcntl(m_read.Get(), F_SETFL, O_NONBLOCK) == 0;
    }
    int WriteEnd() const { return m_write.Get(); }
    // Our copy of the write end is kept while the shell runs, so the pipe does
    // not hang up when the shell ends: the end is then told by one wake, the
    // report's, not by two (the pipe's, then the report's), each of which can
    // wait for a processor on a busy machine. It goes before the last drain,
    // which then stops at the pipe's end.
    void CloseWriteEnd() { m_write.Reset(); }
    // The descriptor to poll, or -1 once the pipe has ended.
    int ReadEnd() const { return m_read.Get(); }

    // Reads what the pipe holds now, at most `budget` bytes, keeping the
    // tail. The budget lets the wait loop look at the clock even when a bot
    // writes as fast as it is read.
    void Drain(std::size_t budget) {
        while (m_read.IsOpen() && budget > 0) {
            const ssize_t got = ::read(m_read.Get(), m_chunk, sizeof m_chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got == 0 || (got < 0 && errno != EAGAIN)) {
                // Every writer has gone (or the pipe failed): nothing more will come.
                m_read.Reset();
                return;
            }
            if (got < 0) return;  // EAGAIN: empty for now
            Keep(std::string_view(m_chunk, static_cast<std::size_t>(got)));
            budget -= std::min(budget, static_cast<std::size_t>(got));
        }
    }

    std::string Take() { return std::move(m_tail); }

  private:
    void Keep(std::string_view bytes) {
        if (bytes.size() >= kOutputTailBytes) {
            m_tail.assign(bytes.substr(bytes.size() - kOutputTailBytes));
            return;
        }
        const std::size_t overflow = m_tail.size() + bytes.size();
        if (overflow > kOutputTailBytes) m_tail.erase(0, overflow - kOutputTailBytes);
        m_tail.append(bytes);
    }

    UniqueFd m_read;
    UniqueFd m_write;
    std::string m_tail;
    char m_chunk[64 * 1024];
};

// How much one wake of the wait loop reads before it looks at the clock again.
constexpr std::size_t kDrainBudget = 1u << 20;

// How many milliseconds a poll may sleep before `deadline`, rounded up so
// that a wait does not spin in its last millisecond, and at most `cap`.
int PollTimeout(Clock::time_point deadline, std::chrono::milliseconds cap) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    const auto bounded = std::clamp(left, std::chrono::milliseconds(0), cap);
    return static_cast<int>(std::min<std::int64_t>(bounded.count(), INT_MAX));
}

enum class WaitOutcome { kEnded, kTimedOut, kCancelled };

// Waits until the run ends, the deadline passes or the canceller fires,
// whichever comes first; an end wins over a cancel or a time-out seen at the
// same moment. The poll wakes at once when the keeper reports the end. Each
// round makes only the system calls that the poll's answer calls for.
WaitOutcome WaitForRun(const KeptRun& run, OutputTail& output, Clock::time_point deadline,
                       const RunCanceller* canceller) {
    const int cancel_fd = canceller ? canceller->EventDescriptor() : -1;
    const bool needs_slices = canceller && cancel_fd < 0;
    const auto cap = needs_slices ? kPollSlice : std::chrono::milliseconds::max();
    // Whether the last poll said that output came or the run may have ended.
    bool output_came = false;
    bool run_woke = false;
    for (;;) {
        if (output_came) output.Drain(kDrainBudget);
        const bool cancelled = canceller && canceller->IsCancelled();
        const bool late = Clock::now() >= deadline;
        if ((run_woke || cancelled || late) && run.HasEnded()) return WaitOutcome::kEnded;
        if (cancelled) return WaitOutcome::kCancelled;
        if (late) return WaitOutcome::kTimedOut;

        pollfd fds[3];
        nfds_t count = 0;
        fds[count++] = {run.ReportEnd(), POLLIN, 0};
        if (cancel_fd >= 0) fds[count++] = {cancel_fd, POLLIN, 0};
        const nfds_t output_slot = count;
        if (output.ReadEnd() >= 0) fds[count++] = {output.ReadEnd(), POLLIN, 0};
        // Sleeps until the run ends, a cancel arrives, output comes or the
        // time is up; the checks above then tell which. EINTR just goes round again with the
        // time left recomputed from the deadline.
        const int ready = ::poll(fds, count, PollTimeout(deadline, cap));
        if (ready < 0 && errno != EINTR) {
            // poll itself failed (out of memory): sleep a slice so as not to spin.
            ::poll(nullptr, 0, static_cast<int>(kPollSlice.count()));
        }
        // After a failed or interrupted poll its answers are unknown: look at everything.
        output_came = output_slot < count && (ready < 0 || fds[output_slot].revents != 0);
        run_woke = ready < 0 || fds[0].revents != 0;
    }
}

RunResult Run(const std::string& command_line, int folder_fd, const RunLimits& limits,
              const std::vector<std::string>& environment) {
    if (limits.m_canceller && limits.m_canceller->IsCancelled()) {
        return {RunEnd::kCancelled, 0, {}, {}};
    }
    const auto limit = std::clamp(limits.m_limit, std::chrono::milliseconds(0), kLongestLimit);
    const auto start = Clock::now();
    const auto deadline = start + limit;

    OutputTail output;
    KeptRun run;
    if (!output.Open() || !run.Open()) {
        return {RunEnd::kStartFailed, static_cast<std::uint32_t>(errno), {}, {}};
    }
    if (const int error = run.Start(command_line, folder_fd, output.WriteEnd(), environment);
        error != 0) {
        return {RunEnd::kStartFailed, static_cast<std::uint32_t>(error), {}, {}};
    }
    const WaitOutcome outcome = WaitForRun(run, output, deadline, limits.m_canceller);
    int status = 0;
    const int reported = run.End(outcome != WaitOutcome::kEnded, status);
    if (reported > 0) return {RunEnd::kStartFailed, static_cast<std::uint32_t>(reported), {}, {}};
    const bool have_status = reported == 0;
    RunResult result;
    result.m_elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    // What the group wrote before it was killed; a process still dying in
    // the keeper that holds the pipe cannot keep us here beyond one budget.
    output.CloseWriteEnd();
    output.Drain(kDrainBudget);
    result.m_outputTail = output.Take();
    if (outcome == WaitOutcome::kTimedOut) {
        result.m_end = RunEnd::kTimedOut;
    } else if (outcome == WaitOutcome::kCancelled) {
        result.m_end = RunEnd::kCancelled;
    } else if (have_status && WIFSIGNALED(status)) {
        result.m_end = RunEnd::kSignalled;
        result.m_code = 128u + static_cast<std::uint32_t>(WTERMSIG(status));
    } else {
        // An exit status that cannot be read counts as 0.
        result.m_end = RunEnd::kExited;
        result.m_code = have_status ? static_cast<std::uint32_t>(WEXITSTATUS(status)) : 0u;
    }
    return result;
}

// Runs in the folder `working_folder` names now, or fails to start with why it cannot be entered.
RunResult RunInFolderNamed(const std::string& command_line, const std::string& working_folder,
                           const RunLimits& limits) {
    // O_PATH: the folder is only entered, so search permission is all it
    // needs, as for chdir; the name is followed, as the caller gave it.
    UniqueFd folder(::open(working_folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    // A cancelled run does not even try to start, so it cannot fail to.
    const bool cancelled = limits.m_canceller && limits.m_canceller->IsCancelled();
    if (!folder.IsOpen() && !cancelled)
        return {RunEnd::kStartFailed, static_cast<std::uint32_t>(errno), {}, {}};
    return Run(command_line, folder.Get(), limits, {});
}

}  // namespace

RunCanceller::RunCanceller()
    // An eventfd is a descriptor that poll can wait on and that a signal
    // handler can make readable with one write; non-blocking so that Cancel
    // never blocks, close-on-exec so that no bot inherits it.
    : m_eventFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

RunCanceller::~RunCanceller() {
    // Nothing useful to do about a failed close of an eventfd.
    if (m_eventFd >= 0) ::close(m_eventFd);
}

void RunCanceller::Cancel() noexcept {
    // The flag first: whoever wakes on the descriptor must find it set.
    m_cancelled.store(true);
    if (m_eventFd < 0) return;
    // A signal handler must leave errno as it found it.
    const int saved_errno = errno;
    const std::uint64_t one = 1;
    // write is async-signal-safe; EAGAIN (counter full) means it is readable already.
    [[maybe_unused]] const ssize_t written = ::write(m_eventFd, &one, sizeof one);
    errno = saved_errno;
}

bool RunCanceller::IsCancelled() const noexcept {
    return m_cancelled.load();
}

bool RunCanceller::WaitFor(std::chrono::milliseconds duration) const {
    const auto deadline =
        Clock::now() + std::clamp(duration, std::chrono::milliseconds(0), kLongestLimit);
    const auto cap = m_eventFd >= 0 ? std::chrono::milliseconds::max() : kPollSlice;
    for (;;) {
        if (IsCancelled()) return true;
        if (Clock::now() >= deadline) return false;
        pollfd fd{m_eventFd, POLLIN, 0};
        // Sleeps until Cancel writes to the descriptor or the time is up
        // (without a descriptor, in slices); EINTR just goes round again.
        ::poll(&fd, m_eventFd >= 0 ? 1 : 0, PollTimeout(deadline, cap));
    }
}

RunResult RunHidden(const std::string& command_line, const std::string& working_folder,
                    const RunLimits& limits) {
    return RunInFolderNamed(command_line, working_folder, limits);
}

RunResult RunHiddenAt(const std::string& command_line, int folder_fd, const RunLimits& limits,
                      const std::vector<std::string>& environment) {
    return Run(command_line, folder_fd, limits, environment);
}

int PrepareHiddenRuns() {
    return StartKeeper();
}

}  // namespace jabbery
