// SPDX-License-Identifier: MIT
#include "transcript/transcript.h"

#include <gtest/gtest.h>

#include "values/bot_colours.h"

namespace jabbery {
namespace {

TEST(Transcript, HeaderAndTrailerAreFixedBytesWithTheColourTable) {
    const std::string header = kRtfHeader;
    EXPECT_EQ(header.size(), 559u);
    EXPECT_EQ(header.substr(0, 56),
              "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss Arial;}}");
    EXPECT_EQ(header.substr(header.size() - 22), "\\tx6480\\plain\\f3\\fs20 ");
    EXPECT_EQ(std::count(header.begin(), header.end(), '\n'), 2);
    EXPECT_EQ(std::string(kRtfTrailer), "\n\\par }");

    std::string table = "{\\colortbl";
    for (const BotColour& c : kBotColours) {
        table += "\\red" + std::to_string(c.m_red) + "\\green" + std::to_string(c.m_green) +
                 "\\blue" + std::to_string(c.m_blue) + ";";
    }
    EXPECT_NE(header.find(table + "}"), std::string::npos) << header;
    EXPECT_EQ(TranscriptTexts().Document(), header + kRtfTrailer);
}

TEST(Transcript, IntroductionAndTurnLinesAreWrittenByteForByte) {
    const CPlainString pip = "Pip";
    const CPlainString mixed = "mIxEd \xE9t\xE9";
    TranscriptTexts texts;

    AppendIntro(texts, 1, "/home/u/C:\\Bots\\Pip/");
    AppendTurn(texts, 1, pip, "Hello there.");
    AppendTurn(texts, 14, mixed, "");
    AppendTurn(texts, 1, pip, "{\\b braces} \\ stay");

    EXPECT_EQ(texts.m_rtfBody.Str(),
              "\\b \\cf1 /home/u/C:\\\\Bots\\\\Pip/\\line "
              "\\cf1 \\b PIP> \\b0 Hello there.\\line "
              "\\cf14 \\b MIXED \xE9T\xE9> \\b0 \\line "
              "\\cf1 \\b PIP> \\b0 {\\b braces} \\ stay\\line ");
    EXPECT_EQ(texts.m_plainText.Str(),
              "/home/u/C:\\Bots\\Pip/\r\n"
              "PIP> Hello there.\r\n"
              "MIXED \xE9T\xE9> \r\n"
              "PIP> {\\b braces} \\ stay\r\n");
    EXPECT_EQ(mixed.Str(), "mIxEd \xE9t\xE9");  // the name keeps its case
    EXPECT_EQ(texts.Document(), std::string(kRtfHeader) + texts.m_rtfBody.Str() + kRtfTrailer);
}

// Only an odd run of backslashes at the very end changes, by one backslash.
TEST(Transcript, AReplyEndingInALoneBackslashCannotEscapeTheLineBreak) {
    const std::pair<const char*, const char*> cases[] = {
        {"x\\", "x\\\\"},
        {"x\\\\", "x\\\\"},
        {"x\\\\\\", "x\\\\\\\\"},
        {"\\", "\\\\"},
        {"\\b mid\\ x", "\\b mid\\ x"},
        {"", ""},
    };
    for (const auto& [reply, in_rtf] : cases) {
        TranscriptTexts texts;
        AppendTurn(texts, 2, "B", reply);
        EXPECT_EQ(texts.m_rtfBody.Str(), std::string("\\cf2 \\b B> \\b0 ") + in_rtf + "\\line ");
        EXPECT_EQ(texts.m_plainText.Str(), std::string("B> ") + reply + "\r\n");
    }
}

}  // namespace
}  // namespace jabbery
