#include "transcript/clock_text.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

// A clock that always reads the given local date and time.
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
    const std::pair<int, const char*> cases[] = {
        {0, "0:05"},  {9, "9:05"},  {10, "10:05"}, {11, "11:05"}, {12, "12:05"},
        {13, "1:05"}, {21, "9:05"}, {22, "10:05"}, {23, "11:05"},
    };
    for (const auto& [hour, expected] : cases) {
        EXPECT_EQ(ClockText(12, At(2026, 12, 6, hour, 5)).Str(), expected) << hour;
    }
    EXPECT_EQ(ClockText(24, At(2026, 12, 6, 9, 5)).Str(), "9:05");
    EXPECT_EQ(ClockText(24, At(2026, 12, 6, 0, 30)).Str(), "0:30");
    EXPECT_EQ(ClockText(0, At(2026, 12, 6, 13, 5)).Str(), "13:05");
}

TEST(ClockText, DateTextsNameTheMonthAndDropTheDaysLeadingZero) {
    EXPECT_EQ(LocalTimeText(At(2026, 12, 6, 15, 46)).Str(), "Sun Dec 06 15:46:09 2026\n");
    EXPECT_EQ(DayText(At(2026, 9, 6, 12, 0)).Str(), "6");
    EXPECT_EQ(DayText(At(2026, 9, 10, 12, 0)).Str(), "10");
    EXPECT_EQ(YearText(At(2027, 1, 1, 0, 0)).Str(), "2027");
    const char* months[] = {"January", "February", "March",     "April",   "May",      "June",
                            "July",    "August",   "September", "October", "November", "December"};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(MonthText(At(2026, month, 15, 12, 0)).Str(), months[month - 1]);
    }
}

}  // namespace
}  // namespace jabbery
