#include "model/chat_answer.h"

#include <gtest/gtest.h>

namespace jabbery::model {
namespace {

TEST(CleanModelAnswer, DropsOnlyTheOwnNamePrefix) {
    EXPECT_EQ(CleanModelAnswer("  ada> Well,\n\n hello\tthere  \n", "Ada"), "Well, hello there");
    EXPECT_EQ(CleanModelAnswer("Bob: hi", "Ada"), "Bob: hi");
    EXPECT_EQ(CleanModelAnswer("Adam: hi", "Ada"), "Adam: hi");
    EXPECT_EQ(CleanModelAnswer("I am Ada: hi", "Ada"), "I am Ada: hi");
}

TEST(CleanModelAnswer, CutsAt1999BytesOnACharacterBoundary) {
    // 1998 ASCII bytes then a 3-byte character: byte 1999 would split it.
    const std::string euro = "\xe2\x82\xac";
    EXPECT_EQ(CleanModelAnswer(std::string(1998, 'a') + euro + "x", "Ada"), std::string(1998, 'a'));
    EXPECT_EQ(CleanModelAnswer(std::string(1996, 'a') + euro + "x", "Ada"),
              std::string(1996, 'a') + euro);
}

TEST(ServerErrorMessage, ReadsTheCommonShapes) {
    EXPECT_EQ(ServerErrorMessage(R"({"error":{"message":"Invalid key","type":"auth"}})"),
              "Invalid key");
    EXPECT_EQ(ServerErrorMessage(R"({"error":"model 'x' not found"})"), "model 'x' not found");
    EXPECT_EQ(ServerErrorMessage(R"({"message":"busy"})"), "busy");
    EXPECT_EQ(ServerErrorMessage("Bad\ngateway\n"), "Bad gateway");
    EXPECT_EQ(ServerErrorMessage(R"({"detail":1})"), "");
}

}  // namespace
}  // namespace jabbery::model
