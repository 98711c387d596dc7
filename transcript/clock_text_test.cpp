// SPDX-License-Identifier: MIT
#include "transcript/clock_text.h"

#include <gtest/gtest.h>
#include <time.h>

namespace jabbery {
namespace {

// The moment the local clock reads `when` ("2026-12-06 15:46:09").
std::time_t At(const std::string& when) {
    std::tm local{};
    local.tm_isdst = -1;
    ::strptime(when.c_str(), "%Y-%m-%d %H:%M:%S", &local);
    return std::mktime(&local);
}

TEST(ClockText, TwelveHourClockHasNoLeadingZeroAndNoMarker) {
    const std::tuple<int, int, const char*> cases[] = {
        {12, 0, "0:05"},   {12, 9, "9:05"}, {12, 10, "10:05"}, {12, 12, "12:05"}, {12, 13, "1:05"},
        {12, 22, "10:05"}, {24, 9, "9:05"}, {24, 0, "0:05"},   {0, 13, "13:05"},
    };
    for (const auto& [clock, hour, expected] : cases) {
        EXPECT_EQ(ClockText(clock, At("2026-12-06 " + std::to_string(hour) + ":05:09")).Str(),
                  expected)
            << clock << " " << hour;
    }
}

// The day and the year are checked in the saved transcript's banner.
TEST(MonthText, NamesEachMonthInFull) {
    std::string months;
    for (int month = 1; month <= 12; ++month)
        months += MonthText(At("2026-" + std::to_string(month) + "-15 12:00:00")).Str() + " ";
    EXPECT_EQ(months,
              "January February March April May June July August September October "
              "November December ");
}

}  // namespace
}  // namespace jabbery
