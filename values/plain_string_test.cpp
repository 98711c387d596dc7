// SPDX-License-Identifier: MIT
#include "values/plain_string.h"

#include <gtest/gtest.h>

#include <vector>

#include "values/conversation_facts.h"

namespace jabbery {
namespace {

TEST(CPlainString, MidClipsAtTheEndAndIsEmptyPastIt) {
    const CPlainString text("Hello");
    EXPECT_EQ(text.Mid(1, 3) + "|" + text.Mid(3, 100) + "|" + text.Mid(5, 1) + text.Mid(9, 1),
              "ell|lo|");
}

// Bytes of other letters (above 127 in any code page) keep their case.
TEST(CPlainString, UpperChangesOnlyTheLettersAToZ) {
    EXPECT_EQ(CPlainString("az AZ 09 \xE9\xFF").Upper(), "AZ AZ 09 \xE9\xFF");
    EXPECT_EQ(CPlainString(std::string("a\0b", 3)).Upper(), std::string("A\0B", 3));
}

TEST(BotCount, IsValidFromTheFewestToTheMostBots) {
    EXPECT_EQ((std::vector<bool>{IsValidBotCount(kMinBots - 1), IsValidBotCount(kMinBots),
                                 IsValidBotCount(kMaxBots), IsValidBotCount(kMaxBots + 1)}),
              (std::vector<bool>{false, true, true, false}));
    EXPECT_EQ(BotCountError(16),
              "Jabbery links 2 to 15 bots; 16 is not a number of bots it can link.");
}

}  // namespace
}  // namespace jabbery
