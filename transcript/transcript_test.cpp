// SPDX-License-Identifier: MIT
#include "transcript/transcript.h"

#include <gtest/gtest.h>

#include <tuple>

namespace jabbery {
namespace {

// The name goes upper-cased (only A to Z) and the reply as it stands, but
// for an odd run of backslashes at its very end, which gets one more so it
// cannot escape the line break.
TEST(Transcript, TurnLinesAreWrittenByteForByte) {
    const std::tuple<int, const char*, const char*, const char*, const char*> cases[] = {
        {1, "Pip", "Hello there.", "PIP", "Hello there."},
        {14, "mIxEd \xE9t\xE9", "", "MIXED \xE9T\xE9", ""},
        {1, "Pip", "{\\b braces} \\ stay", "PIP", "{\\b braces} \\ stay"},
        {2, "B", "x\\", "B", "x\\\\"},
        {2, "B", "x\\\\", "B", "x\\\\"},
        {2, "B", "x\\\\\\", "B", "x\\\\\\\\"},
        {2, "B", "\\", "B", "\\\\"},
        {2, "B", "\\b mid\\ x", "B", "\\b mid\\ x"},
    };
    for (const auto& [bot, name, reply, upper, in_rtf] : cases) {
        TranscriptTexts texts;
        AppendTurn(texts, bot, name, reply);
        EXPECT_EQ(texts.m_rtfBody.Str(),
                  "\\cf" + std::to_string(bot) + " \\b " + upper + "> \\b0 " + in_rtf + "\\line ");
        EXPECT_EQ(texts.m_plainText.Str(), std::string(upper) + "> " + reply + "\r\n");
        EXPECT_EQ(texts.Document(), std::string(kRtfHeader) + texts.m_rtfBody.Str() + kRtfTrailer);
    }
    TranscriptTexts texts;
    AppendIntro(texts, 1, "/home/u/C:\\Bots\\Pip/");
    EXPECT_EQ(texts.m_rtfBody.Str(), "\\b \\cf1 /home/u/C:\\\\Bots\\\\Pip/\\line ");
    EXPECT_EQ(texts.m_plainText.Str(), "/home/u/C:\\Bots\\Pip/\r\n");
}

}  // namespace
}  // namespace jabbery
