// SPDX-License-Identifier: MIT
#include "stdio/kept_answer.h"

#include <gtest/gtest.h>

#include "values/bot_protocol.h"

namespace jabbery {
namespace {

// A program that prints without end before its prompt must not grow our
// memory without end: no more is kept than an answer can hold.
TEST(KeptAnswer, KeepsNoMoreThanAnAnswerHolds) {
    KeptOptions options;
    options.m_prompt.emplace("^> $");
    options.m_join = true;
    KeptAnswer answer(options);
    const std::string lines = [] {
        std::string text;
        for (int i = 0; i < 1000; ++i) text += "some words\n";
        return text;
    }();
    for (int i = 0; i < 100; ++i) EXPECT_FALSE(answer.Feed(lines));
    EXPECT_TRUE(answer.Feed("> "));
    EXPECT_LE(answer.Text().size(), kMaxReplyLength + sizeof "some words");
    EXPECT_EQ(answer.Text().rfind("some words some words", 0), 0u);
}

// The regular expression engine recurses once per character for patterns
// such as ".*": a line of some hundred kilobytes would overflow the stack.
// A prompt is short, so a long line is never taken for one.
TEST(KeptAnswer, ALongLineIsNeverTakenForAPrompt) {
    const std::string long_line(300 * 1000, 'a');
    KeptOptions options;
    options.m_prompt.emplace("[a-z]+> $");
    KeptAnswer answer(options);
    EXPECT_FALSE(answer.Feed("answer\n" + long_line + "> "));
    EXPECT_FALSE(answer.Feed("\n"));
    EXPECT_TRUE(answer.Feed("ok> "));
    EXPECT_EQ(answer.Text(), "answer");
    const std::regex banner_end(".*ready");
    SkipUntil skip(banner_end);
    EXPECT_FALSE(skip.Feed(long_line + "ready\n"));
    EXPECT_TRUE(skip.Feed("ready\n"));
}

}  // namespace
}  // namespace jabbery
