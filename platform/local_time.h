#pragma once

#include <ctime>

namespace jabbery {

// The local calendar time of `when`; false when it cannot be converted.
// Safe to call from any thread.
bool ToLocalTime(std::time_t when, std::tm& local);

}  // namespace jabbery
