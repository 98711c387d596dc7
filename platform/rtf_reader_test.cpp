#include "platform/rtf_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace jabbery::rtf {
namespace {

// The transcript's own header and trailer, byte for byte.
const std::string kHeader =
    "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss Arial;}}\n"
    "{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green255\\blue0;"
    "\\red0\\green0\\blue255;\\red255\\green0\\blue255;\\red0\\green255\\blue255;"
    "\\red128\\green128\\blue128;\\red128\\green0\\blue0;\\red0\\green128\\blue0;"
    "\\red0\\green0\\blue128;\\red255\\green128\\blue0;\\red150\\green58\\blue140;"
    "\\red144\\green132\\blue0;\\red249\\green149\\blue149;\\red116\\green68\\blue52;}\n"
    "\\deflang1033\\pard\\tx360\\tx720\\tx1080\\tx1440\\tx1800\\tx2160\\tx2520\\tx2880"
    "\\tx3240\\tx3600\\tx3960\\tx4320\\tx4680\\tx5040\\tx5400\\tx5760\\tx6120\\tx6480"
    "\\plain\\f3\\fs20 ";
const std::string kTrailer = "\n\\par }";

constexpr Colour kBlack{0, 0, 0};
constexpr Colour kRed{255, 0, 0};
constexpr Colour kGreen{0, 255, 0};
constexpr Colour kBlue{0, 0, 255};
constexpr Colour kBrown{116, 68, 52};

std::string Document(const std::string& body) {
    return kHeader + body + kTrailer;
}

std::string Intro(int bot, const std::string& folder_rtf) {
    return "\\b \\cf" + std::to_string(bot) + " " + folder_rtf + "\\line ";
}

std::string Turn(int bot, const std::string& name, const std::string& reply) {
    return "\\cf" + std::to_string(bot) + " \\b " + name + "> \\b0 " + reply + "\\line ";
}

std::string TextOf(const std::vector<StyledRun>& runs) {
    std::string text;
    for (const auto& run : runs) text += run.m_text;
    return text;
}

// The run that holds the first occurrence of `needle`.
const StyledRun* RunWith(const std::vector<StyledRun>& runs, const std::string& needle) {
    for (const auto& run : runs) {
        if (run.m_text.find(needle) != std::string::npos) return &run;
    }
    return nullptr;
}

bool IsValidUtf8(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
        if (length == 0 || i + length > text.size()) return false;
        char32_t code_point = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code_point = (code_point << 6) | (next & 0x3F);
        }
        const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code_point < minimum[length] || code_point > 0x10FFFF ||
            (code_point >= 0xD800 && code_point <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

void ExpectWellFormed(const std::vector<StyledRun>& runs) {
    for (std::size_t i = 0; i < runs.size(); ++i) {
        EXPECT_FALSE(runs[i].m_text.empty()) << "run " << i;
        EXPECT_TRUE(IsValidUtf8(runs[i].m_text)) << "run " << i;
        EXPECT_EQ(runs[i].m_text.find('\0'), std::string::npos) << "run " << i;
        if (i > 0) {
            EXPECT_FALSE(runs[i].m_colour == runs[i - 1].m_colour &&
                         runs[i].m_bold == runs[i - 1].m_bold)
                << "runs " << i - 1 << " and " << i << " share a style";
        }
    }
}

TEST(RtfReader, HeaderIsTheTranscriptsOwn) {
    EXPECT_EQ(kHeader.size(), 559u);
}

TEST(RtfReader, EmptyBodyShowsNothing) {
    EXPECT_TRUE(ParseDocument(Document("")).empty());
}

TEST(RtfReader, TranscriptLinesShowEachFollowedByOneLineBreak) {
    const auto runs =
        ParseDocument(Document(Intro(0, "/home/u/bots/rosa/") + Intro(1, "/home/u/bots/pip/") +
                               Turn(0, "ROSA", "Hi there.") + Turn(1, "PIP", "Hello there.")));
    EXPECT_EQ(TextOf(runs),
              "/home/u/bots/rosa/\n/home/u/bots/pip/\nROSA> Hi there.\nPIP> Hello there.\n");
    ExpectWellFormed(runs);
}

TEST(RtfReader, IntroLinesAreBoldInTheirBotsColour) {
    const auto runs =
        ParseDocument(Document(Intro(0, "/bots/a/") + Intro(3, "C:\\\\Bots\\\\Pip\\\\")));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], (StyledRun{"/bots/a/\n", kBlack, true}));
    EXPECT_EQ(runs[1], (StyledRun{"C:\\Bots\\Pip\\\n", kBlue, true}));
}

TEST(RtfReader, TurnLinesShowTheNameBoldAndTheReplyRegular) {
    const auto runs = ParseDocument(Document(Turn(0, "ROSA", "Hi.") + Turn(14, "PIP", "Yo.")));
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0], (StyledRun{"ROSA> ", kBlack, true}));
    EXPECT_EQ(runs[1], (StyledRun{"Hi.\n", kBlack, false}));
    EXPECT_EQ(runs[2], (StyledRun{"PIP> ", kBrown, true}));
    EXPECT_EQ(runs[3], (StyledRun{"Yo.\n", kBrown, false}));
}

TEST(RtfReader, EveryColourTableEntryIsRead) {
    const Colour expected[15] = {{0, 0, 0},     {255, 0, 0},     {0, 255, 0},     {0, 0, 255},
                                 {255, 0, 255}, {0, 255, 255},   {128, 128, 128}, {128, 0, 0},
                                 {0, 128, 0},   {0, 0, 128},     {255, 128, 0},   {150, 58, 140},
                                 {144, 132, 0}, {249, 149, 149}, {116, 68, 52}};
    for (int bot = 0; bot < 15; ++bot) {
        const auto runs = ParseDocument(Document(Turn(bot, "N", "r")));
        ASSERT_EQ(runs.size(), 2u) << bot;
        EXPECT_EQ(runs[0].m_colour, expected[bot]) << bot;
        EXPECT_EQ(runs[1].m_colour, expected[bot]) << bot;
    }
}

TEST(RtfReader, ColourOutsideTheTableIsTheDefaultBlack) {
    for (const char* word : {"\\cf15 ", "\\cf-1 ", "\\cf99999999999999999999 ",
                             "\\cf-99999999999999999999 ", "\\cf "}) {
        const auto runs = ParseDocument(Document(std::string("\\cf2 x") + word + "y"));
        ASSERT_EQ(runs.size(), 2u) << word;
        EXPECT_EQ(runs[0], (StyledRun{"x", kGreen, false})) << word;
        EXPECT_EQ(runs[1].m_colour, kBlack) << word;
    }
}

TEST(RtfReader, AutoColourEntryIsTheDefault) {
    const auto runs =
        ParseDocument("{\\rtf1{\\colortbl;\\red9\\green8\\blue7;}\\cf1 a\\cf0 b\\cf1 c}");
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], (StyledRun{"a", Colour{9, 8, 7}, false}));
    EXPECT_EQ(runs[1], (StyledRun{"b", kBlack, false}));
    EXPECT_EQ(runs[2], (StyledRun{"c", Colour{9, 8, 7}, false}));
}

TEST(RtfReader, ColourComponentsAreClampedToAByte) {
    const auto runs =
        ParseDocument("{\\rtf1{\\colortbl\\red99999999999999999\\green-5\\blue256;}\\cf0 a}");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].m_colour, (Colour{255, 0, 255}));
}

TEST(RtfReader, BoldFollowsItsParameterAndPlainResetsStyle) {
    const auto runs = ParseDocument(
        Document("\\cf1 \\b a\\b0 b\\b1 c\\b99999999999999999999 d\\plain e\\b f\\b-1 g"));
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0], (StyledRun{"a", kRed, true}));
    EXPECT_EQ(runs[1], (StyledRun{"b", kRed, false}));
    EXPECT_EQ(runs[2], (StyledRun{"cd", kRed, true}));
    EXPECT_EQ(runs[3], (StyledRun{"e", kBlack, false}));
    EXPECT_EQ(runs[4], (StyledRun{"fg", kBlack, true}));
}

TEST(RtfReader, GroupsRestoreTheirEnclosingStyle) {
    const auto runs = ParseDocument(Document("\\cf1 a{\\b\\cf2 b{\\b0 c}d}e"));
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0], (StyledRun{"a", kRed, false}));
    EXPECT_EQ(runs[1], (StyledRun{"b", kGreen, true}));
    EXPECT_EQ(runs[2], (StyledRun{"c", kGreen, false}));
    EXPECT_EQ(runs[3], (StyledRun{"d", kGreen, true}));
    EXPECT_EQ(runs[4], (StyledRun{"e", kRed, false}));
}

TEST(RtfReader, ControlSymbolsAndNamedCharacters) {
    EXPECT_EQ(TextOf(ParseDocument(Document("a\\\\b\\{c\\}d"))), "a\\b{c}d");
    EXPECT_EQ(TextOf(ParseDocument(Document("a\\~b\\-c\\_d\\:e\\|f"))), "a\u00A0bc\u2011def");
    EXPECT_EQ(TextOf(ParseDocument(Document("a\\tab b\\emdash\\endash\\bullet "
                                            "\\lquote\\rquote\\ldblquote\\rdblquote x"))),
              "a\tb\u2014\u2013\u2022\u2018\u2019\u201C\u201Dx");
}

TEST(RtfReader, ControlWordSwallowsOnlyOneDelimitingSpace) {
    EXPECT_EQ(TextOf(ParseDocument(Document("\\b  two\\b0\tx\\unknownword5  y\\b-z"))),
              " two\tx y-z");
}

TEST(RtfReader, RawLineEndsAreIgnoredAndBackslashLineEndBreaks) {
    EXPECT_EQ(TextOf(ParseDocument(Document("a\r\nb\rc\nd"))), "abcd");
    EXPECT_EQ(TextOf(ParseDocument(Document("a\\\nb\\\rc"))), "a\nb\nc");
}

TEST(RtfReader, FontTableAndUndefinedFontAreHarmless) {
    const auto runs = ParseDocument(Document("\\f3 a\\f99 b{\\fonttbl{\\f1 Other;}}c"));
    EXPECT_EQ(TextOf(runs), "abc");
}

TEST(RtfReader, IgnorableAndKnownDestinationsAreSkipped) {
    EXPECT_EQ(TextOf(ParseDocument(Document("a{\\*\\foo hidden {nested} \\'41}b"))), "ab");
    EXPECT_EQ(TextOf(ParseDocument(Document("a{\\info{\\title t}}{\\pict 0102}b"))), "ab");
    EXPECT_EQ(TextOf(ParseDocument(Document("a{\\stylesheet{\\s0 Normal;}}b"))), "ab");
    // An unknown destination without \* is shown, as RTF asks.
    EXPECT_EQ(TextOf(ParseDocument(Document("a{\\unknowndest c}b"))), "acb");
    // A destination word only counts at the start of its group.
    EXPECT_EQ(TextOf(ParseDocument(Document("a{x\\pict c}b"))), "axcb");
}

TEST(RtfReader, BinaryDataIsSkipped) {
    std::string body = "a{\\pict\\bin6 ";
    body += std::string("\0}{\\\xff", 6);
    body += "}b\\bin3 xyzc";
    EXPECT_EQ(TextOf(ParseDocument(Document(body))), "abc");
    EXPECT_EQ(TextOf(ParseDocument(Document("a\\bin0 b\\bin-4 c"))), "abc");
}

TEST(RtfReader, LineBreakEndsBinaryDataEarly) {
    EXPECT_EQ(TextOf(ParseDocument(Document("a\\bin99999999999 xx\\line b"))), "a\nb");
    EXPECT_EQ(TextOf(ParseDocument(Document("a\\bin99 xx\\par b"))), "a\nb");
    // A longer word that starts like a break is data.
    EXPECT_EQ(TextOf(ParseDocument(Document("a\\bin12 \\lines\\parda\\line b"))), "a\nb");
    // A break that is the data's last bytes still acts; a letter after it
    // shows that it was data.
    EXPECT_EQ(TextOf(ParseDocument(Document("a\\bin5 \\line b"))), "a\nb");
    EXPECT_EQ(TextOf(ParseDocument(Document("a\\bin5 \\linexb"))), "axb");
    EXPECT_EQ(TextOf(ParseDocument("{a\\bin4 \\par")), "a");
}

TEST(RtfReader, HexBytesAndRawBytesReadAsUtf8) {
    EXPECT_EQ(TextOf(ParseDocument(Document("caf\\'c3\\'a9 \xe2\x82\xac \\'f0\\'9f\\'99\\'82"))),
              "caf\u00E9 \u20AC \U0001F642");
    EXPECT_EQ(TextOf(ParseDocument(Document("\\'C3\\'A9"))), "\u00E9");
}

TEST(RtfReader, BytesThatAreNotUtf8ReadAsWindows1252) {
    EXPECT_EQ(TextOf(ParseDocument(Document("caf\\'e9 \x80 \x9f \x81 \xa0\xff"))),
              "caf\u00E9 \u20AC \u0178 \u0081 \u00A0\u00FF");
    // A sequence cut short falls back byte by byte and the next byte starts afresh.
    EXPECT_EQ(TextOf(ParseDocument(Document("\xe2\x82x\xe2\x82\xc3\xa9"))),
              "\u00E2\u201Ax\u00E2\u201A\u00E9");
    // Overlong forms and surrogates are not UTF-8.
    EXPECT_EQ(TextOf(ParseDocument(Document("\xc0\xaf\xed\xa0\x80"))),
              "\u00C0\u00AF\u00ED\u00A0\u20AC");
    // A held sequence at the end of the document.
    EXPECT_EQ(TextOf(ParseDocument("{\\rtf1 a\xe2\x82")), "a\u00E2\u201A");
}

TEST(RtfReader, StyleChangeInsideASequenceSplitsIt) {
    const auto runs = ParseDocument(Document("\\'e2\\b\\'82\\'ac"));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], (StyledRun{"\u00E2", kBlack, false}));
    EXPECT_EQ(runs[1], (StyledRun{"\u201A\u00AC", kBlack, true}));
}

TEST(RtfReader, UnicodeWordsWithFallback) {
    EXPECT_EQ(TextOf(ParseDocument(Document("a\\u8364?b\\uc2\\u8364\\'80\\'80c\\uc0\\u8364 d"))),
              "a\u20ACb\u20ACc\u20ACd");
    EXPECT_EQ(TextOf(ParseDocument(Document("\\u-10179?\\u-8638?x"))), "\U0001F642x");
    EXPECT_EQ(TextOf(ParseDocument(Document("\\u-10179?x\\u-8638?y\\u-10179?"))),
              "\uFFFDx\uFFFDy\uFFFD");
    EXPECT_EQ(TextOf(ParseDocument(Document("\\u0?a\\u99999999999999 ?b\\u-99999999?c"))),
              "a\uFFFDb\uFFFDc");
    // The fallback ends at a group boundary or a control word.
    EXPECT_EQ(TextOf(ParseDocument(Document("\\uc3{\\u8364}ab\\u8364\\b cd"))), "\u20ACab\u20ACcd");
}

TEST(RtfReader, NulBytesAreDropped) {
    std::string body = "a";
    body += '\0';
    body += "b\\'00c";
    EXPECT_EQ(TextOf(ParseDocument(Document(body))), "abc");
}

TEST(RtfReader, TruncatedControlsAtTheEndAreHarmless) {
    EXPECT_EQ(TextOf(ParseDocument("{\\rtf1 ab\\")), "ab");
    EXPECT_EQ(TextOf(ParseDocument("{\\rtf1 ab\\'4")), "ab");
    EXPECT_EQ(TextOf(ParseDocument("{\\rtf1 ab\\'")), "ab");
    EXPECT_EQ(TextOf(ParseDocument("{\\rtf1 ab\\tab")), "ab\t");
    EXPECT_EQ(TextOf(ParseDocument("{\\rtf1 ab\\cf1")), "ab");
    EXPECT_EQ(TextOf(ParseDocument("{\\rtf1 ab\\bin5 xy")), "ab");
    EXPECT_EQ(TextOf(ParseDocument("")), "");
    EXPECT_EQ(TextOf(ParseDocument("\\")), "");
}

TEST(RtfReader, CutHexEscapeShowsNothingAndTheRestIsRead) {
    EXPECT_EQ(TextOf(ParseDocument(Document(Turn(1, "A", "x\\'4") + Turn(2, "B", "y\\'")))),
              "A> x\nB> y\n");
    EXPECT_EQ(TextOf(ParseDocument(Document("\\'4g\\'zq"))), "gzq");
}

TEST(RtfReader, MissingClosingBracesAreHarmless) {
    EXPECT_EQ(TextOf(ParseDocument("{\\rtf1 a{\\b b{{c")), "abc");
}

TEST(RtfReader, DeepNestingNeedsNoRecursion) {
    const std::string opens(100'000, '{');
    const std::string closes(100'000, '}');
    const auto runs = ParseDocument(Document(
        Turn(1, "A", opens + "\\b deep") + Turn(2, "B", closes + "x" + opens) + Turn(3, "C", "y")));
    EXPECT_EQ(TextOf(runs), "A> deep\nB> x\nC> y\n");
    EXPECT_EQ(RunWith(runs, "deep")->m_bold, true);
    EXPECT_EQ(*RunWith(runs, "y"), (StyledRun{"y\n", kBlue, false}));
}

// A reply's RTF is its own business, but whatever it does, the lines after it
// show in full, in their own colours.
TEST(RtfReader, MalformedRepliesNeverHideOtherLines) {
    const std::vector<std::string> replies = {
        "{\\*\\evil ",
        "{\\fonttbl",
        "}}}}",
        "{\\colortbl\\red1\\green2\\blue3;",
        "\\fonttbl x",
        "\\bin99999999999999999999 ",
        "{\\pict\\bin200 ",
        "\\\\",
        "\\'",
        "\\'4",
        "{\\*",
        "\\uc255\\u8364 ",
        "{\\info{\\title ",
        "\\*\\evil",
        "\\u-10179",
        "\\plain\\cf99",
        "{{{{\\b\\cf5 ",
        "\\bin5",
    };
    for (const auto& reply : replies) {
        const auto runs =
            ParseDocument(Document(Intro(0, "/a/") + Turn(1, "EVE", reply) +
                                   Turn(2, "BOB", "Still here.") + Turn(14, "ZED", "Me too.")));
        const std::string text = TextOf(runs);
        EXPECT_EQ(text.substr(0, 4), "/a/\n") << reply;
        ASSERT_TRUE(text.ends_with("\nBOB> Still here.\nZED> Me too.\n"))
            << reply << " -> " << text;
        EXPECT_EQ(*RunWith(runs, "BOB> "), (StyledRun{"BOB> ", kGreen, true})) << reply;
        EXPECT_EQ(*RunWith(runs, "Still here."), (StyledRun{"Still here.\n", kGreen, false}))
            << reply;
        EXPECT_EQ(*RunWith(runs, "Me too."), (StyledRun{"Me too.\n", kBrown, false})) << reply;
        ExpectWellFormed(runs);
    }
}

TEST(RtfReader, ReplyEndingInABackslashEscapesItsOwnLineBreakOnly) {
    // As RTF reads it: the backslash escapes the next one, so the line break
    // shows as text and the next line follows on the same line, in its colour.
    const auto runs = ParseDocument(Document(Turn(1, "EVE", "x\\") + Turn(2, "BOB", "y")));
    EXPECT_EQ(TextOf(runs), "EVE> x\\line BOB> y\n");
    EXPECT_EQ(*RunWith(runs, "BOB"), (StyledRun{"BOB> ", kGreen, true}));
    EXPECT_EQ(*RunWith(runs, "y"), (StyledRun{"y\n", kGreen, false}));
}

TEST(RtfReader, InjectedColourLastsOnlyUntilTheNextLine) {
    const auto runs =
        ParseDocument(Document(Turn(1, "A", "red \\cf3 blue") + Turn(2, "B", "green")));
    EXPECT_EQ(*RunWith(runs, "red"), (StyledRun{"red ", kRed, false}));
    EXPECT_EQ(*RunWith(runs, "blue"), (StyledRun{"blue\n", kBlue, false}));
    EXPECT_EQ(*RunWith(runs, "green"), (StyledRun{"green\n", kGreen, false}));
}

TEST(RtfReader, LaterColourTableDoesNotRecolourLines) {
    const auto runs = ParseDocument(
        Document(Turn(1, "A", "{\\colortbl;\\red1\\green1\\blue1;}x") + Turn(1, "B", "y")));
    EXPECT_EQ(*RunWith(runs, "y"), (StyledRun{"y\n", kRed, false}));
}

TEST(RtfReader, LineBreakInsideAGroupLeavesTheGroup) {
    // The documented price of keeping other lines safe: a group does not
    // survive a line break.
    const auto runs = ParseDocument(Document("\\cf1 {\\b a\\line b}c"));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], (StyledRun{"a", kRed, true}));
    EXPECT_EQ(runs[1], (StyledRun{"\nbc", kRed, false}));
}

TEST(RtfReader, ParagraphBreaksShowExceptTheLastOne) {
    EXPECT_EQ(TextOf(ParseDocument("{\\rtf1 a\\par b\\par\\par}")), "a\nb\n");
    EXPECT_EQ(TextOf(ParseDocument("{\\rtf1 a\\par\\par b}")), "a\n\nb");
}

TEST(RtfReader, TextOutsideAnyGroupAndStrayBracesAtTopLevel) {
    EXPECT_EQ(TextOf(ParseDocument("a}b{c}}d")), "abcd");
}

TEST(RtfReader, OverlongControlWordIsUnknown) {
    EXPECT_EQ(TextOf(ParseDocument(Document("\\" + std::string(100, 'x') + "line a"))), "a");
}

std::string RandomRtf(std::mt19937& random, std::size_t length) {
    static const std::vector<std::string> pieces = {
        "{",
        "}",
        "\\",
        "\\'",
        "\\'c3",
        "\\'a9",
        "\\line ",
        "\\par ",
        "\\b ",
        "\\b0 ",
        "\\cf",
        "\\cf3 ",
        "\\cf14 ",
        "\\plain",
        "\\*",
        "\\bin",
        "\\bin3 ",
        "\\u",
        "\\u8364?",
        "\\uc2",
        "\\tab",
        " ",
        "-",
        "9",
        "\xc3",
        "\xa9",
        "\xe2\x82",
        "\xac",
        "\r\n",
        "abc",
        "\\fonttbl",
        "\\colortbl",
        ";",
        "\\red9",
        "\\~",
        "\\\n",
        std::string(1, '\0'),
        "\xff",
    };
    std::string text;
    while (text.size() < length) {
        if (random() % 4 == 0) {
            text += static_cast<char>(random() % 256);
        } else {
            text += pieces[random() % pieces.size()];
        }
    }
    return text;
}

TEST(RtfReader, RandomInputGivesWellFormedRuns) {
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        const auto runs = ParseDocument(Document(RandomRtf(random, random() % 400)));
        ExpectWellFormed(runs);
    }
}

TEST(RtfReader, FeedingInAnySplitGivesTheSameRuns) {
    std::mt19937 random(99);
    for (int round = 0; round < 300; ++round) {
        const std::string document = Document(RandomRtf(random, random() % 300));
        RtfReader reader;
        RunList runs;
        std::size_t at = 0;
        while (at < document.size()) {
            const std::size_t piece = std::min<std::size_t>(random() % 7, document.size() - at);
            reader.Feed(std::string_view(document).substr(at, piece), runs);
            at += piece;
        }
        reader.Finish(runs);
        EXPECT_EQ(runs.Runs(), ParseDocument(document)) << round;
    }
}

TEST(RunList, MergesEqualStylesAndDropsEmptyText) {
    RunList list;
    list.Append("ab", kRed, false);
    list.Append("", kBlue, true);
    list.Append("\u00E9\U0001F642", kRed, false);
    list.Append("c", kRed, true);
    ASSERT_EQ(list.Runs().size(), 2u);
    EXPECT_EQ(list.Runs()[0], (StyledRun{"ab\u00E9\U0001F642", kRed, false}));
    EXPECT_EQ(list.Runs()[1], (StyledRun{"c", kRed, true}));
}

TEST(RunList, CharactersAreCountedAsCodePoints) {
    RunList list;
    list.Append("ab\u00E9", kRed, false);
    list.Append("\U0001F642\n", kBlue, false);
    EXPECT_EQ(CountChars(list.Runs()), 5u);
    EXPECT_EQ(CountChars({}), 0u);
}

}  // namespace
}  // namespace jabbery::rtf
