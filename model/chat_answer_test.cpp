#include "model/chat_answer.h"

#include <gtest/gtest.h>

namespace jabbery::model {
namespace {

TEST(CleanModelAnswer, DropsOwnNamePrefixAndCollapsesWhitespace) {
    EXPECT_EQ(CleanModelAnswer("  ada: Well,\n\n hello\tthere  \n", "Ada"), "Well, hello there");
    EXPECT_EQ(CleanModelAnswer("ADA> Ahoy", "Ada"), "Ahoy");
    // Only the bot's own name, and only as a prefix.
    EXPECT_EQ(CleanModelAnswer("Bob: hi", "Ada"), "Bob: hi");
    EXPECT_EQ(CleanModelAnswer("Adam: hi", "Ada"), "Adam: hi");
    EXPECT_EQ(CleanModelAnswer("I am Ada: hi", "Ada"), "I am Ada: hi");
    EXPECT_EQ(CleanModelAnswer("Ada:", "Ada"), "");
    EXPECT_EQ(CleanModelAnswer(" \n ", "Ada"), "");
}

TEST(CleanModelAnswer, CutsAt1999BytesOnACharacterBoundary) {
    // 1998 ASCII bytes then a 3-byte character: byte 1999 would split it.
    const std::string long_answer = std::string(1998, 'a') + "\xe2\x82\xac" + "tail";
    EXPECT_EQ(CleanModelAnswer(long_answer, "Ada"), std::string(1998, 'a'));
    const std::string fits = std::string(1996, 'a') + "\xe2\x82\xac" + "tail";
    EXPECT_EQ(CleanModelAnswer(fits, "Ada"), std::string(1996, 'a') + "\xe2\x82\xac");
}

TEST(ExtractAnswer, TakesTheFirstChoiceOrSaysWhatIsWrong) {
    std::string content;
    std::string error;
    ASSERT_TRUE(ExtractAnswer(R"({"choices":[{"message":{"role":"assistant","content":"Hi"}}]})",
                              content, error));
    EXPECT_EQ(content, "Hi");
    EXPECT_FALSE(ExtractAnswer("<html>oops</html>", content, error));
    EXPECT_EQ(error, "the server's answer is not JSON");
    EXPECT_FALSE(ExtractAnswer(R"({"choices":[]})", content, error));
    EXPECT_FALSE(ExtractAnswer(R"({"choices":[{"message":{"content":null}}]})", content, error));
    EXPECT_NE(error.find("choices[0].message.content"), std::string::npos);
}

TEST(ServerErrorMessage, ReadsTheCommonShapes) {
    EXPECT_EQ(ServerErrorMessage(R"({"error":{"message":"Invalid key","type":"auth"}})"),
              "Invalid key");
    EXPECT_EQ(ServerErrorMessage(R"({"error":"model 'x' not found"})"), "model 'x' not found");
    EXPECT_EQ(ServerErrorMessage(R"({"message":"busy"})"), "busy");
    EXPECT_EQ(ServerErrorMessage("Bad\ngateway\n"), "Bad gateway");
    EXPECT_EQ(ServerErrorMessage(R"({"detail":1})"), "");
}

TEST(Redact, RemovesEveryOccurrence) {
    EXPECT_EQ(Redact("key sk-1 and sk-1!", "sk-1"), "key [key removed] and [key removed]!");
    EXPECT_EQ(Redact("nothing", ""), "nothing");
}

}  // namespace
}  // namespace jabbery::model
