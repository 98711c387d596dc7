// SPDX-License-Identifier: MIT
#include <time.h>

#include "platform/local_time.h"

namespace jabbery {

bool ToLocalTime(std::time_t when, std::tm& local) {
    // localtime_r, not localtime: the window may save while a worker thread runs.
    return localtime_r(&when, &local) != nullptr;
}

bool ToUtcTime(std::time_t when, std::tm& utc) {
    // gmtime_r for the same reason.
    return gmtime_r(&when, &utc) != nullptr;
}

}  // namespace jabbery
