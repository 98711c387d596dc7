// SPDX-License-Identifier: MIT
#include "transcript/clock_text.h"

#include <array>
#include <cstdio>

#include "platform/local_time.h"

namespace jabbery {

std::time_t SystemNow() {
    return std::time(nullptr);
}

CPlainString LocalTimeText(std::time_t when) {
    std::tm local{};
    if (!ToLocalTime(when, local)) return CPlainString("Thu Jan 01 00:00:00 1970\n");
    static constexpr std::array<const char*, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed",
                                                             "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s %02d %02d:%02d:%02d %04d\n",
                  kWeekdays[static_cast<std::size_t>(local.tm_wday) % 7],
                  kMonths[static_cast<std::size_t>(local.tm_mon) % 12], local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec, local.tm_year + 1900);
    return CPlainString(text);
}

CPlainString ClockText(int mode, std::time_t when) {
    const CPlainString time_text = LocalTimeText(when);
    std::string clock = time_text.Mid(11, 5).Str();
    if (mode == 12) {
        int hour = (clock[0] - '0') * 10 + (clock[1] - '0');
        if (hour > 12) hour -= 12;
        clock[0] = static_cast<char>('0' + hour / 10);
        clock[1] = static_cast<char>('0' + hour % 10);
    }
    if (clock[0] == '0') clock.erase(0, 1);
    return CPlainString(std::move(clock));
}

CPlainString MonthText(std::time_t when) {
    static constexpr std::array<std::array<const char*, 2>, 12> kNames = {{
        {"Jan", "January"},
        {"Feb", "February"},
        {"Mar", "March"},
        {"Apr", "April"},
        {"May", "May"},
        {"Jun", "June"},
        {"Jul", "July"},
        {"Aug", "August"},
        {"Sep", "September"},
        {"Oct", "October"},
        {"Nov", "November"},
        {"Dec", "December"},
    }};
    const CPlainString abbreviation = LocalTimeText(when).Mid(4, 3);
    for (const auto& [shortName, fullName] : kNames) {
        if (abbreviation == CPlainString(shortName)) return CPlainString(fullName);
    }
    return abbreviation;
}

CPlainString DayText(std::time_t when) {
    const CPlainString day = LocalTimeText(when).Mid(8, 2);
    return day[0] == '0' ? day.Mid(1, 1) : day;
}

CPlainString YearText(std::time_t when) {
    return LocalTimeText(when).Mid(20, 4);
}

}  // namespace jabbery
