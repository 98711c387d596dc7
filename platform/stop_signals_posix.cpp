#include <signal.h>
#include <unistd.h>

#include <algorithm>

#include "platform/run_hidden.h"
#include "platform/stop_signals.h"

namespace jabbery {

namespace {

RunCanceller* g_canceller = nullptr;
unsigned g_graceSeconds = 1;
volatile sig_atomic_t g_stopSignal = 0;

// Ends the program as `signal` would have without our handler, so the
// caller (a shell) sees the usual exit status for it.
void EndBy(int signal) {
    // The default action, then the signal again: async-signal-safe both.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

extern "C" void OnStop(int signal) {
    if (g_stopSignal != 0) return EndBy(signal);
    g_stopSignal = signal;
    // Cancel only writes to a descriptor; alarm starts the grace period.
    g_canceller->Cancel();
    ::alarm(g_graceSeconds);
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

}  // namespace

void InstallStopSignals(RunCanceller& canceller, std::chrono::seconds grace) {
    g_canceller = &canceller;
    g_graceSeconds = static_cast<unsigned>(std::max<long long>(1, grace.count()));
    Handle(SIGALRM, OnGraceOver);
    Handle(SIGINT, OnStop);
    Handle(SIGTERM, OnStop);
}

}  // namespace jabbery
