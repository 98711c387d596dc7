// SPDX-License-Identifier: MIT
#include <string.h>

#include "platform/signal_name.h"

namespace jabbery {

std::string SignalName(int signal) {
    // sigabbrev_np is the thread-safe, untranslated name without "SIG".
    const char* name = ::sigabbrev_np(signal);
    return name ? std::string("SIG") + name : "signal " + std::to_string(signal);
}

}  // namespace jabbery
