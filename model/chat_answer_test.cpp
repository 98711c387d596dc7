// SPDX-License-Identifier: MIT
#include "model/chat_answer.h"

#include <gtest/gtest.h>

namespace jabbery::model {
namespace {

TEST(CleanModelAnswer, DropsOnlyTheOwnNamePrefixAndCutsOnACharacter) {
    EXPECT_EQ(CleanModelAnswer("  ada> hello\tthere  \n", "Ada", ""), "hello there");
    EXPECT_EQ(CleanModelAnswer("Bob: hi", "Ada", ""), "Bob: hi");
    EXPECT_EQ(CleanModelAnswer("Adam: hi", "Ada", ""), "Adam: hi");
    EXPECT_EQ(CleanModelAnswer("I am Ada: hi", "Ada", ""), "I am Ada: hi");
    // Cut at 1999 bytes, before a character that would cross the limit.
    const std::string euro = "\xe2\x82\xac";
    EXPECT_EQ(CleanModelAnswer(std::string(1998, 'a') + euro + "x", "Ada", ""),
              std::string(1998, 'a'));
    EXPECT_EQ(CleanModelAnswer(std::string(1996, 'a') + euro + "x", "Ada", ""),
              std::string(1996, 'a') + euro);
}

TEST(ServerErrorMessage, ReadsTheCommonShapes) {
    EXPECT_EQ(ServerErrorMessage(R"({"message":"busy"})", ""), "busy");
    EXPECT_EQ(ServerErrorMessage("Bad\ngateway\n", ""), "Bad gateway");
    EXPECT_EQ(ServerErrorMessage(R"({"detail":1})", ""), "");
}

}  // namespace
}  // namespace jabbery::model
