// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace jabbery {

// "500ms", "90s", "10m", "2h": a whole number (0 included) and a unit; none
// when it is not one. What the --for option and conversation files read.
std::optional<std::chrono::milliseconds> ReadDuration(const std::string& text);

// `duration` as ReadDuration reads it back, in the largest unit that keeps
// it whole: "2h", "90s", "500ms".
std::string DurationText(std::chrono::milliseconds duration);

}  // namespace jabbery
