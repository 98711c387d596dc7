#include "platform/rtf_incremental.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace jabbery::rtf {
namespace {

const std::string kHeader =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\n"
    "{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green255\\blue0;}\n"
    "\\pard\\plain\\f3\\fs20 ";
const std::string kTrailer = "\n\\par }";

std::string Turn(int bot, const std::string& name, const std::string& reply) {
    return "\\cf" + std::to_string(bot) + " \\b " + name + "> \\b0 " + reply + "\\line ";
}

// One shown character with its style, as a text control holds it.
struct ShownChar {
    std::string m_utf8;
    Colour m_colour;
    bool m_bold;

    bool operator==(const ShownChar&) const = default;
};

std::vector<ShownChar> Expand(const std::vector<StyledRun>& runs) {
    std::vector<ShownChar> shown;
    for (const auto& run : runs) {
        for (char c : run.m_text) {
            if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) {
                shown.back().m_utf8 += c;
            } else {
                shown.push_back(ShownChar{std::string(1, c), run.m_colour, run.m_bold});
            }
        }
    }
    return shown;
}

// Does to `shown` what a view does with an update.
void Apply(const DocumentUpdate& update, std::vector<ShownChar>& shown) {
    if (update.m_rebuild) {
        shown = Expand(update.m_runs);
        return;
    }
    ASSERT_LE(update.m_removeChars, shown.size());
    shown.resize(shown.size() - update.m_removeChars);
    for (const auto& c : Expand(update.m_runs)) shown.push_back(c);
}

std::string TextOf(const std::vector<StyledRun>& runs) {
    std::string text;
    for (const auto& run : runs) text += run.m_text;
    return text;
}

TEST(IncrementalRtfReader, FirstDocumentRebuilds) {
    IncrementalRtfReader reader(kTrailer);
    const auto update = reader.Update(kHeader + Turn(1, "A", "hi") + kTrailer);
    EXPECT_TRUE(update.m_rebuild);
    EXPECT_EQ(TextOf(update.m_runs), "A> hi\n");
}

TEST(IncrementalRtfReader, GrownBodyAppendsOnlyTheNewLine) {
    IncrementalRtfReader reader(kTrailer);
    const std::string body = Turn(1, "A", "hi");
    reader.Update(kHeader + body + kTrailer);
    const auto update = reader.Update(kHeader + body + Turn(2, "B", "yo") + kTrailer);
    EXPECT_FALSE(update.m_rebuild);
    EXPECT_EQ(update.m_removeChars, 0u);
    ASSERT_EQ(update.m_runs.size(), 2u);
    EXPECT_EQ(update.m_runs[0], (StyledRun{"B> ", Colour{0, 255, 0}, true}));
    EXPECT_EQ(update.m_runs[1], (StyledRun{"yo\n", Colour{0, 255, 0}, false}));
}

TEST(IncrementalRtfReader, SameDocumentAgainChangesNothing) {
    IncrementalRtfReader reader(kTrailer);
    const std::string document = kHeader + Turn(1, "A", "hi") + kTrailer;
    reader.Update(document);
    const auto update = reader.Update(document);
    EXPECT_FALSE(update.m_rebuild);
    EXPECT_EQ(update.m_removeChars, 0u);
    EXPECT_TRUE(update.m_runs.empty());
}

TEST(IncrementalRtfReader, OtherChangesRebuild) {
    IncrementalRtfReader reader(kTrailer);
    const std::string line = Turn(1, "A", "hi");
    reader.Update(kHeader + line + kTrailer);
    // Changed in the middle.
    auto update = reader.Update(kHeader + Turn(1, "A", "ho") + line + kTrailer);
    EXPECT_TRUE(update.m_rebuild);
    EXPECT_EQ(TextOf(update.m_runs), "A> ho\nA> hi\n");
    // Shorter.
    update = reader.Update(kHeader + kTrailer);
    EXPECT_TRUE(update.m_rebuild);
    EXPECT_TRUE(update.m_runs.empty());
    // Without the trailer, twice.
    update = reader.Update(kHeader + line);
    EXPECT_TRUE(update.m_rebuild);
    EXPECT_EQ(TextOf(update.m_runs), "A> hi\n");
    update = reader.Update(kHeader + line + line);
    EXPECT_TRUE(update.m_rebuild);
    // Back to normal: the next growth appends again.
    reader.Update(kHeader + line + kTrailer);
    EXPECT_FALSE(reader.Update(kHeader + line + line + kTrailer).m_rebuild);
}

TEST(IncrementalRtfReader, TextHeldBackAtTheBodysEndIsReplaced) {
    // The body ends inside a UTF-8 sequence: the old trailer showed it as
    // Windows-1252; once the sequence is complete it is one character.
    IncrementalRtfReader reader(kTrailer);
    std::vector<ShownChar> shown;
    Apply(reader.Update(kHeader + "a\\'e2\\'82" + kTrailer), shown);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].m_utf8, "\u00E2");
    const auto update = reader.Update(kHeader + "a\\'e2\\'82\\'ac" + kTrailer);
    EXPECT_FALSE(update.m_rebuild);
    EXPECT_EQ(update.m_removeChars, 2u);
    Apply(update, shown);
    EXPECT_EQ(shown, Expand(ParseDocument(kHeader + "a\\'e2\\'82\\'ac" + kTrailer)));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].m_utf8, "\u20AC");
}

TEST(IncrementalRtfReader, ParagraphHeldBackAtTheBodysEndIsShownWhenMoreFollows) {
    IncrementalRtfReader reader(kTrailer);
    std::vector<ShownChar> shown;
    Apply(reader.Update(kHeader + "a\\par " + kTrailer), shown);
    EXPECT_EQ(shown.size(), 2u);  // "a\n": the body's break, the last one dropped
    const auto update = reader.Update(kHeader + "a\\par b" + kTrailer);
    EXPECT_EQ(update.m_removeChars, 1u);
    Apply(update, shown);
    EXPECT_EQ(shown, Expand(ParseDocument(kHeader + "a\\par b" + kTrailer)));
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
        "\\cf1 ",
        "\\cf2 ",
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
        "\\line",
        "\\par",
        "\\li",
        "\\pa",
    };
    std::string text;
    while (text.size() < length) {
        if (random() % 5 == 0) {
            text += static_cast<char>(random() % 256);
        } else {
            text += pieces[random() % pieces.size()];
        }
    }
    return text;
}

// The incremental path and a full read must show the same characters in the
// same styles, however the document grows or changes.
TEST(IncrementalRtfReader, RandomGrowthAndEditsMatchAFullRead) {
    std::mt19937 random(2024);
    int appends_that_removed = 0;
    for (int sequence = 0; sequence < 60; ++sequence) {
        IncrementalRtfReader reader(kTrailer);
        std::vector<ShownChar> shown;
        std::string body;
        int appended = 0;
        for (int step = 0; step < 60; ++step) {
            const unsigned choice = random() % 10;
            if (choice < 6) {
                body += random() % 2 ? Turn(static_cast<int>(random() % 4), "N",
                                            RandomRtf(random, random() % 20))
                                     : RandomRtf(random, random() % 12);
            } else if (choice < 8 && !body.empty()) {
                const std::size_t at = random() % body.size();
                body.replace(at, random() % 4, RandomRtf(random, random() % 4));
            } else if (choice == 8) {
                body += Turn(1, "A", "plain line");
            }
            // choice 9: the same document again.
            std::string document = kHeader + body + kTrailer;
            if (random() % 25 == 0) document = kHeader + body;  // trailer missing
            const auto update = reader.Update(document);
            appended += !update.m_rebuild;
            appends_that_removed += !update.m_rebuild && update.m_removeChars > 0;
            Apply(update, shown);
            ASSERT_EQ(shown, Expand(ParseDocument(document)))
                << "sequence " << sequence << " step " << step;
        }
        EXPECT_GT(appended, 0);
    }
    // The old trailer's text had to be taken away now and then.
    EXPECT_GT(appends_that_removed, 0);
}

}  // namespace
}  // namespace jabbery::rtf
