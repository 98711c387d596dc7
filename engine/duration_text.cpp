// SPDX-License-Identifier: MIT
#include "engine/duration_text.h"

#include <charconv>

namespace jabbery {

namespace {

// The units from the largest down, each in milliseconds.
constexpr struct {
    const char* m_suffix;
    long long m_scale;
} kUnits[] = {{"h", 3600'000}, {"m", 60'000}, {"s", 1000}, {"ms", 1}};

// The most digits a number has: far beyond any use, and every product of
// number and unit stays well within range.
constexpr std::size_t kMostDigits = 9;

}  // namespace

std::optional<std::chrono::milliseconds> ReadDuration(const std::string& text) {
    const auto digits_end = text.find_first_not_of("0123456789");
    if (digits_end == 0 || digits_end == std::string::npos || digits_end > kMostDigits) {
        return std::nullopt;
    }
    const std::string unit = text.substr(digits_end);
    for (const auto& [suffix, scale] : kUnits) {
        if (unit != suffix) continue;
        long long number = 0;
        const auto [stop, status] = std::from_chars(text.data(), text.data() + digits_end, number);
        if (status != std::errc()) return std::nullopt;
        return std::chrono::milliseconds(number * scale);
    }
    return std::nullopt;
}

std::string DurationText(std::chrono::milliseconds duration) {
    const long long milliseconds = duration.count();
    for (const auto& [suffix, scale] : kUnits) {
        if (milliseconds != 0 && milliseconds % scale == 0) {
            return std::to_string(milliseconds / scale) + suffix;
        }
    }
    return "0s";
}

}  // namespace jabbery
