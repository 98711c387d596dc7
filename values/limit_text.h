// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>

namespace jabbery {

// A time limit as messages show it: "90 s" when it is whole seconds, else
// "1500 ms", so a limit under a second never reads "0 s".
inline std::string LimitText(std::chrono::milliseconds limit) {
    return limit.count() % 1000 == 0 ? std::to_string(limit.count() / 1000) + " s"
                                     : std::to_string(limit.count()) + " ms";
}

}  // namespace jabbery
