// SPDX-License-Identifier: MIT
#include "cli/waiting_line.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

// The waiting line fits the terminal's line (its last column left free), so
// that it can be taken back: the name gives way first, then the rest.
TEST(WaitingText, StaysWithinOneLineOfTheTerminal) {
    const std::string many(100, 'A');
    const struct {
        std::string name;
        int columns;
        std::string shown;
    } cases[] = {
        {"SLOW", 0, "waiting for SLOW (5 s)\u2026"},
        {"SLOW", 25, "waiting for SLOW (5 s)\u2026"},
        {many, 40, "waiting for " + many.substr(0, 17) + "\u2026 (5 s)\u2026"},
        {"\u65e5\u672c\u8a9e\u306e\u30dc\u30c3\u30c8", 30,
         "waiting for \u65e5\u672c\u8a9e\u2026 (5 s)\u2026"},
        {"SLOW", 20, "waiting for SLOW (5"},
    };
    for (const auto& row : cases) {
        EXPECT_EQ(WaitingText(row.name, std::chrono::milliseconds(5400), row.columns), row.shown)
            << row.columns;
    }
}

}  // namespace
}  // namespace jabbery
