// SPDX-License-Identifier: MIT
#include "rtf/rtf_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "rtf/test_rtf_documents.h"

namespace jabbery::rtf {
namespace {

using namespace std::string_literals;
using namespace jabbery::testing;
using Runs = std::vector<StyledRun>;
constexpr auto Doc = &testing::RtfDocument;

// The runs as text, each preceded by its style: "<3b>" is bot 3's colour,
// bold; a colour that is no bot's shows as "<r,g,b>".
std::string Styled(const Runs& runs) {
    std::string styled;
    for (const auto& run : runs) {
        const Colour c = run.m_colour;
        std::string colour =
            std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
        for (int bot = 0; bot < 15; ++bot) {
            const BotColour& entry = kBotColours[bot];
            if (c == Colour{entry.m_red, entry.m_green, entry.m_blue}) colour = std::to_string(bot);
        }
        styled += "<" + colour + (run.m_bold ? "b>" : ">") + run.m_text;
    }
    return styled;
}

// Reads `document` whole and in pieces of 0 to 6 bytes: the same well-formed runs.
Runs Parse(const std::string& document) {
    const Runs whole = ParseDocument(document);
    EXPECT_TRUE(IsWellFormed(whole)) << Styled(whole);
    std::mt19937 random(static_cast<unsigned>(document.size()));
    RtfReader reader;
    RunList pieces;
    for (std::size_t at = 0, piece = 0; at < document.size(); at += piece) {
        piece = std::min<std::size_t>(random() % 7, document.size() - at);
        reader.Feed(std::string_view(document).substr(at, piece), pieces);
    }
    reader.Finish(pieces);
    EXPECT_EQ(pieces.Runs(), whole) << "fed in pieces";
    return whole;
}

TEST(RtfReader, ShowsTheTextAsRtfMeansIt) {
    const std::pair<std::string, std::string> cases[] = {
        {Doc(""), ""},
        // Control symbols, named characters; a control word takes one space.
        {Doc("a\\\\b\\{c\\}d\\~e\\-f\\_g\\:h\\|i"), "a\\b{c}d\u00A0ef\u2011ghi"},
        {Doc("a\\tab b\\emdash\\endash\\bullet \\lquote\\rquote\\ldblquote\\rdblquote x"),
         "a\tb\u2014\u2013\u2022\u2018\u2019\u201C\u201Dx"},
        {Doc("\\b  two\\b0\tx\\unknownword5  y\\b-z"), " two\tx y-z"},
        {Doc("\\" + std::string(100, 'x') + "line a"), "a"},
        // Raw line ends are not text; a backslash before one breaks the line.
        {Doc("a\r\nb\rc\nd\\\ne\\\rf"), "abcd\ne\nf"},
        // Fonts and destinations are skipped; an unknown one without \* shows.
        {Doc("\\f3 a\\f99 b{\\fonttbl{\\f1 Other;}}c{\\*\\foo hidden {nested} \\'41}d"
             "{\\info{\\title t}}{\\pict 0102}{\\stylesheet{\\s0 Normal;}}e{\\unknowndest f}g"
             "{x\\pict h}i"),
         "abcdefgxhi"},
        // \bin data is skipped; \line or \par in it ends it early.
        {Doc("a{\\pict\\bin6 \0}{\\\xff\0}b\\bin3 xyzc\\bin0 \\bin-4 d"s), "abcd"},
        {Doc("a\\bin99999999999 xx\\line b\\bin99 xx\\par c"), "a\nb\nc"},
        {Doc("a\\bin12 \\lines\\parda\\line b"), "a\nb"},
        {Doc("a\\bin5 \\line b\\bin5 \\linexc"), "a\nbxc"},
        {"{a\\bin4 \\par", "a"},
        // Text is UTF-8, from escapes or raw bytes; NULs are dropped.
        {Doc("caf\\'c3\\'a9 \xe2\x82\xac \\'f0\\'9f\\'99\\'82\\'C3\\'A9"),
         "caf\u00E9 \u20AC \U0001F642\u00E9"},
        {Doc("a\0b\\'00c"s), "abc"},
        // What is not UTF-8 (cut, overlong, surrogates) is Windows-1252.
        {Doc("caf\\'e9 \x80 \x9f \x81 \xa0\xff"), "caf\u00E9 \u20AC \u0178 \u0081 \u00A0\u00FF"},
        {Doc("\xe2\x82x\xe2\x82\xc3\xa9"), "\u00E2\u201Ax\u00E2\u201A\u00E9"},
        {Doc("\xc0\xaf\xed\xa0\x80"), "\u00C0\u00AF\u00ED\u00A0\u20AC"},
        {"{\\rtf1 a\xe2\x82", "a\u00E2\u201A"},
        // \u with \uc fallbacks, surrogate pairs, values that are no character.
        {Doc("a\\u8364?b\\uc2\\u8364\\'80\\'80c\\uc0\\u8364 d"), "a\u20ACb\u20ACc\u20ACd"},
        {Doc("\\u-10179?\\u-8638?x\\u-10179?x\\u-8638?y\\u-10179?"),
         "\U0001F642x\uFFFDx\uFFFDy\uFFFD"},
        {Doc("\\u0?a\\u99999999999999 ?b\\u-99999999?c"), "a\uFFFDb\uFFFDc"},
        {Doc("\\uc3{\\u8364}ab\\u8364\\b cd"), "\u20ACab\u20ACcd"},
        // Cut or unbalanced input.
        {"", ""},
        {"\\", ""},
        {"{\\rtf1 ab\\tab", "ab\t"},
        {Doc(TurnLine(1, "A", "x\\'4") + TurnLine(2, "B", "y\\'") + "\\'4g\\'zq"),
         "A> x\nB> y\ngzq"},
        {"{\\rtf1 a{\\b b{{c", "abc"},
        {"a}b{c}}d", "abcd"},
        // Every \par shows but the one that ends the document.
        {"{\\rtf1 a\\par b\\par\\par}", "a\nb\n"},
        {"{\\rtf1 a\\par\\par b}", "a\n\nb"}};
    for (const auto& [document, text] : cases) EXPECT_EQ(TextOf(Parse(document)), text);
    for (const char* cut : {"\\", "\\'4", "\\'", "\\cf1", "\\bin5 xy"}) {
        EXPECT_EQ(TextOf(Parse("{\\rtf1 ab"s + cut)), "ab") << cut;
    }
}

TEST(RtfReader, ShowsEachRunInItsColourAndWeight) {
    const std::string opens(100'000, '{');
    const std::pair<std::string, std::string> cases[] = {
        {Doc(IntroLine(0, "/bots/a/") + IntroLine(3, "C:\\\\Bots\\\\Pip\\\\")),
         "<0b>/bots/a/\n<3b>C:\\Bots\\Pip\\\n"},
        // Each bot's colour, as the transcript's header gives it.
        {Doc("\\cf1 a\\cf2 b\\cf3 c\\cf4 d\\cf5 e\\cf6 f\\cf7 g\\cf8 h\\cf9 i\\cf10 j\\cf11 k"
             "\\cf12 l\\cf13 m\\cf14 n\\cf0 o"),
         "<1>a<2>b<3>c<4>d<5>e<6>f<7>g<8>h<9>i<10>j<11>k<12>l<13>m<14>n<0>o"},
        // A colour outside the table is the default.
        {Doc("\\cf2 a\\cf15 b\\cf2 c\\cf-1 d\\cf2 e\\cf99999999999999999999 f\\cf2 g"
             "\\cf-99999999999999999999 h\\cf2 i\\cf j"),
         "<2>a<0>b<2>c<0>d<2>e<0>f<2>g<0>h<2>i<0>j"},
        // An empty (auto) entry is the default black; components are clamped to a byte.
        {"{\\rtf1{\\colortbl;\\red9\\green8\\blue7;}\\cf1 a\\cf0 b\\cf1 c}",
         "<9,8,7>a<0>b<9,8,7>c"},
        {"{\\rtf1{\\colortbl\\red256\\green-5\\blue7;\\red99999999999999999\\blue7;}"
         "\\cf0 a\\cf1 b}",
         "<255,0,7>ab"},
        // \b follows its parameter, \plain resets, groups restore their outer style.
        {Doc("\\cf1 \\b a\\b0 b\\b1 c\\b99999999999999999999 d\\plain e\\b f\\b-1 g"),
         "<1b>a<1>b<1b>cd<0>e<0b>fg"},
        {Doc("\\cf1 a{\\b\\cf2 b{\\b0 c}d}e"), "<1>a<2b>b<2>c<2b>d<1>e"},
        // A style change inside a UTF-8 sequence splits it.
        {Doc("\\'e2\\b\\'82\\'ac"), "<0>\u00E2<0b>\u201A\u00AC"},
        // The price of keeping lines apart: a group does not survive a line break.
        {Doc("\\cf1 {\\b a\\line b}c"), "<1b>a<1>\nbc"},
        // A reply's colour lasts until the next line; a later colour table
        // recolours nothing; a reply's last backslash escapes its line break only.
        {Doc(TurnLine(1, "A", "red \\cf3 blue") + TurnLine(2, "B", "green")),
         "<1b>A> <1>red <3>blue\n<2b>B> <2>green\n"},
        {Doc(TurnLine(1, "A", "{\\colortbl\\red1\\green1\\blue1;}x\\cf15 z") +
             TurnLine(1, "B", "y")),
         "<1b>A> <1>x<0>z\n<1b>B> <1>y\n"},
        {Doc(TurnLine(1, "EVE", "x\\") + TurnLine(2, "BOB", "y")),
         "<1b>EVE> <1>x\\line <2b>BOB> <2>y\n"},
        {Doc(TurnLine(1, "A", opens + "\\b deep") +
             TurnLine(2, "B", std::string(100'000, '}') + "x" + opens) + TurnLine(3, "C", "y")),
         "<1b>A> deep<1>\n<2b>B> <2>x\n<3b>C> <3>y\n"},
    };
    for (const auto& [document, styled] : cases) EXPECT_EQ(Styled(Parse(document)), styled);
}

// The lines around a reply show in full, in their own colours and weights.
TEST(RtfReader, MalformedReplyNeverChangesOtherLines) {
    for (const std::string reply :
         {"{\\*\\evil ", "{\\fonttbl", "}}}}", "{\\colortbl\\red1\\green2\\blue3;", "\\fonttbl x",
          "\\bin99999999999999999999 ", "{\\pict\\bin200 ", "\\\\", "\\'", "\\'4", "{\\*",
          "\\uc255\\u8364 ", "{\\info{\\title ", "\\*\\evil", "\\u-10179", "\\plain\\cf99",
          "{{{{\\b\\cf5 ", "\\bin5"}) {
        const std::string styled =
            Styled(Parse(Doc(IntroLine(0, "/a/") + TurnLine(1, "EVE", reply) +
                             TurnLine(2, "BOB", "Still here.") + TurnLine(14, "ZED", "Me too."))));
        EXPECT_TRUE(styled.starts_with("<0b>/a/\n<1b>EVE> ") &&
                    styled.ends_with("\n<2b>BOB> <2>Still here.\n<14b>ZED> <14>Me too.\n"))
            << reply << " -> " << styled;
    }
}

}  // namespace
}  // namespace jabbery::rtf
