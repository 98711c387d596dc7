// SPDX-License-Identifier: MIT
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "platform/run_hidden.h"
#include "platform/stop_signals.h"
#include "platform/terminal_modes.h"

namespace jabbery {

namespace {

RunCanceller* g_canceller = nullptr;
itimerval g_grace{};
// Atomic, not only volatile: the threads of a batch read it while a
// handler may write it; a lock-free atomic is safe in a handler.
std::atomic<int> g_stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

// Ends the program as `signal` would have without our handler, so the
// caller (a shell) sees the usual exit status for it.
void EndBy(int signal) {
    // The terminal's modes first: a line editor may have changed them.
    RestoreSavedTerminalModes();
    // The default action, then the signal again: async-signal-safe both.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

extern "C" void OnStop(int signal) {
    if (g_stopSignal != 0) return EndBy(signal);
    g_stopSignal = signal;
    // Cancel only writes to a descriptor; the timer (a plain system call,
    // like alarm but finer) starts the grace period.
    g_canceller->Cancel();
    ::setitimer(ITIMER_REAL, &g_grace, nullptr);
}

extern "C" void OnGraceOver(int) {
    EndBy(g_stopSignal);
}

void Handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // SA_RESTART: calls the signal interrupts go on as if it had not come.
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

// A SIGHUP ignored when we start was ignored on purpose (nohup): the run
// is to go on after the terminal closes.
bool HangUpIgnored() {
    struct sigaction current {};
    return ::sigaction(SIGHUP, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

}  // namespace

void InstallStopSignals(RunCanceller& canceller, std::chrono::milliseconds grace) {
    g_canceller = &canceller;
    // At least a millisecond: a zero timer would never fire.
    const long long ms = std::max<long long>(1, grace.count());
    g_grace.it_value = {static_cast<time_t>(ms / 1000), static_cast<suseconds_t>(ms % 1000 * 1000)};
    Handle(SIGALRM, OnGraceOver);
    for (const int signal : {SIGINT, SIGTERM, SIGQUIT}) Handle(signal, OnStop);
    if (!HangUpIgnored()) Handle(SIGHUP, OnStop);
    // Bots do not inherit these: they start with every signal at its default.
    ::signal(SIGPIPE, SIG_IGN);
    // A file size limit (ulimit -f) then fails the write (EFBIG), met as a
    // full disk is, rather than killing us before the files are written.
    ::signal(SIGXFSZ, SIG_IGN);
}

int StopSignalReceived() {
    return g_stopSignal;
}

}  // namespace jabbery
