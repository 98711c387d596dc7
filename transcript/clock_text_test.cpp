// SPDX-License-Identifier: MIT
#include "transcript/clock_text.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

// The moment the local clock reads the given date and time (nine seconds past).
std::time_t At(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = 9;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

TEST(ClockText, TwelveHourClockHasNoLeadingZeroAndNoMarker) {
    const std::tuple<int, int, const char*> cases[] = {
        {12, 0, "0:05"},   {12, 9, "9:05"},  {12, 10, "10:05"}, {12, 11, "11:05"},
        {12, 12, "12:05"}, {12, 13, "1:05"}, {12, 21, "9:05"},  {12, 22, "10:05"},
        {12, 23, "11:05"}, {24, 9, "9:05"},  {24, 0, "0:05"},   {0, 13, "13:05"},
    };
    for (const auto& [clock, hour, expected] : cases) {
        EXPECT_EQ(ClockText(clock, At(2026, 12, 6, hour, 5)).Str(), expected)
            << clock << " " << hour;
    }
}

TEST(ClockText, DateTextsNameTheMonthAndDropTheDaysLeadingZero) {
    EXPECT_EQ(LocalTimeText(At(2026, 12, 6, 15, 46)).Str(), "Sun Dec 06 15:46:09 2026\n");
    EXPECT_EQ(DayText(At(2026, 9, 6, 12, 0)).Str() + DayText(At(2026, 9, 10, 12, 0)).Str(), "610");
    EXPECT_EQ(YearText(At(2027, 1, 1, 0, 0)).Str(), "2027");
    std::string months;
    for (int month = 1; month <= 12; ++month)
        months += MonthText(At(2026, month, 15, 12, 0)).Str() + " ";
    EXPECT_EQ(months,
              "January February March April May June July August September October "
              "November December ");
}

}  // namespace
}  // namespace jabbery
