// SPDX-License-Identifier: MIT
#include "platform/terminal_filter.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

TEST(TerminalFilter, ShowsEveryControlABotCouldUseAsAQuestionMark) {
    EXPECT_EQ(ForTerminal("plain\ttab \x1b[2J\x7f"), "plain\ttab ?[2J?");
    EXPECT_EQ(ForTerminal(std::string("a\0b", 3)), "a?b");
    // C1 controls, UTF-8 encoded and as raw bytes; other characters pass.
    EXPECT_EQ(ForTerminal("\xC2\x9D"
                          "2;TITLE\xC2\x9C \xC2\x9B"
                          "2J \x9B\x85"),
              "?2;TITLE? ?2J ??");
    EXPECT_EQ(ForTerminal("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xA9"),
              "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xA9");
}

}  // namespace
}  // namespace jabbery
