// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace jabbery {

// A signal's name, "SIGSEGV"; "signal N" for one without a name.
std::string SignalName(int signal);

// The number of the signal SignalName calls `name`; 0 when none is.
int SignalNumber(const std::string& name);

}  // namespace jabbery
