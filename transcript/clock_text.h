// SPDX-License-Identifier: MIT
#pragma once

#include <ctime>
#include <functional>

#include "values/plain_string.h"

namespace jabbery {

// Where a save reads the time, once; tests set it.
using ClockSource = std::function<std::time_t()>;

// The system's clock.
std::time_t SystemNow();

// The 25-character text of the local time at `when`, as
// "Sun Dec 06 15:46:09 2026\n": like asctime, but the day always has two digits.
CPlainString LocalTimeText(std::time_t when);

// The texts below format a moment the caller read once, so that texts shown
// together cannot mix two moments (a save across midnight).

// The time of day without seconds; mode 12 gives the hour from 0 to 12 with
// no leading zero and no AM or PM, any other mode the 24-hour hour.
CPlainString ClockText(int mode, std::time_t when);

// The month's full English name, the day without a leading zero, the year.
CPlainString MonthText(std::time_t when);
CPlainString DayText(std::time_t when);
CPlainString YearText(std::time_t when);

}  // namespace jabbery
