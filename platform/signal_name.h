// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace jabbery {

// A signal's name, "SIGSEGV"; "signal N" for one without a name.
std::string SignalName(int signal);

}  // namespace jabbery
