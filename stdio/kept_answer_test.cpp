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

}  // namespace
}  // namespace jabbery
