// SPDX-License-Identifier: MIT
#pragma once

#include <ctime>

namespace jabbery {

// The local calendar time of `when`; false when it cannot be converted.
// Safe to call from any thread.
bool ToLocalTime(std::time_t when, std::tm& local);

// The calendar time of `when` in UTC; false when it cannot be converted.
bool ToUtcTime(std::time_t when, std::tm& utc);

}  // namespace jabbery
