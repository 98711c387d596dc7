// SPDX-License-Identifier: MIT
#include <string.h>

#include "platform/signal_name.h"

namespace jabbery {

std::string SignalName(int signal) {
    // sigabbrev_np is the thread-safe, untranslated name without "SIG".
    const char* name = ::sigabbrev_np(signal);
    return name ? std::string("SIG") + name : "signal " + std::to_string(signal);
}

int SignalNumber(const std::string& name) {
    // Real-time signals run up to 64 on Linux; every name is tried.
    for (int signal = 1; signal <= 64; ++signal) {
        if (SignalName(signal) == name) return signal;
    }
    return 0;
}

}  // namespace jabbery
