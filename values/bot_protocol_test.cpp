// SPDX-License-Identifier: MIT
#include "values/bot_protocol.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

// LF and CR LF end a line; a lone CR elsewhere is kept, a missing line is empty.
TEST(ParseMessageFile, AcceptsEitherLineEndAndMissingLines) {
    const std::string cases[][3] = {
        {"Ann\nhi\n", "Ann", "hi"},
        {"Ann\r\nhi", "Ann", "hi"},
        {"A\rnn\r\nh\ri\r\r\n", "A\rnn", "h\ri\r"},
        {"Ann", "Ann", ""},
        {"", "", ""},
        {"Ann\r\nhi\r\nthird\r\n", "Ann", "hi"},
    };
    for (const auto& [text, name, message] : cases) {
        const BotMessage read = ParseMessageFile(text);
        EXPECT_EQ(read.m_name, name) << text;
        EXPECT_EQ(read.m_message, message) << text;
    }
}

// Any limit, however small, cuts between UTF-8 characters.
TEST(CutReply, CutsBeforeACharacterTheLimitWouldSplit) {
    const std::string euro = "\xE2\x82\xAC";
    const std::tuple<std::string, std::size_t, std::string> cases[] = {
        {"abc", 3, "abc"},     {"abcd", 3, "abc"},          {"a" + euro, 2, "a"},
        {"a" + euro, 3, "a"},  {"a" + euro, 4, "a" + euro}, {euro, 1, ""},
        {euro + "x", 3, euro},
    };
    for (const auto& [reply, limit, cut] : cases) EXPECT_EQ(CutReply(reply, limit), cut) << limit;
    EXPECT_EQ(CutReply(std::string(kMaxReplyLength + 1, 'x')).size(), kMaxReplyLength);
}

}  // namespace
}  // namespace jabbery
