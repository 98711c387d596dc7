// SPDX-License-Identifier: MIT
#include "rtf/rtf_incremental.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "rtf/test_rtf_documents.h"

namespace jabbery::rtf {
namespace {

using namespace jabbery::testing;

using Shown = std::vector<StyledRun>;

// Each part shows what it adds, replacing only what the trailer showed before
// it, and the whole shows what a full read of the document so far shows.
TEST(IncrementalRtfReader, EachPartReplacesOnlyWhatTheTrailerShowed) {
    const std::tuple<std::string, std::size_t, std::string> steps[] = {
        {kRtfHeader + TurnLine(1, "A", "hi"), 0, "A> hi\n"},
        {TurnLine(2, "B", "yo"), 0, "B> yo\n"},
        {"", 0, ""},
        // A group opened in one part still colours the next.
        {"{\\cf3 x", 0, "x"},
        {"y}z", 0, "yz"},
        // The body ends inside a UTF-8 sequence: Windows-1252 until complete.
        {"\\'e2\\'82", 0, "\u00E2\u201A"},
        {"\\'ac", 2, "\u20AC"},
        // A \par at the body's end shows only once more follows.
        {"\\par ", 0, "\n"},
        {"b", 1, "\nb"},
    };
    IncrementalRtfReader reader(kRtfTrailer);
    Shown shown;
    std::string document;
    for (const auto& [part, remove, text] : steps) {
        SCOPED_TRACE(part);
        const DocumentUpdate update = reader.Append(part);
        EXPECT_EQ(update.m_removeChars, remove);
        EXPECT_EQ(TextOf(update.m_runs), text);
        ASSERT_TRUE(ApplyUpdate(update, shown));
        document += part;
        EXPECT_EQ(shown, Expand(ParseDocument(document + kRtfTrailer)));
    }
}

// The same on random parts, lines or pieces that reach every reader state;
// a full read of any of them gives well-formed runs.
TEST(IncrementalRtfReader, RandomPartsMatchAFullRead) {
    std::mt19937 random(2024);
    int parts_that_removed = 0;
    for (int sequence = 0; sequence < 60; ++sequence) {
        IncrementalRtfReader reader(kRtfTrailer);
        Shown shown;
        std::string document = kRtfHeader + IntroLine(1, "/a/");
        ApplyUpdate(reader.Append(document), shown);
        for (int step = 0; step < 60; ++step) {
            const std::string part = random() % 2 ? TurnLine(static_cast<int>(random() % 4), "N",
                                                             RandomRtf(random, random() % 20))
                                                  : RandomRtf(random, random() % 12);
            const DocumentUpdate update = reader.Append(part);
            parts_that_removed += update.m_removeChars > 0;
            ASSERT_TRUE(ApplyUpdate(update, shown));
            document += part;
            const std::vector<StyledRun> whole = ParseDocument(document + kRtfTrailer);
            ASSERT_TRUE(IsWellFormed(whole)) << "sequence " << sequence << " step " << step;
            ASSERT_EQ(shown, Expand(whole)) << "sequence " << sequence << " step " << step;
        }
    }
    // The trailer's text had to be taken away now and then.
    EXPECT_GT(parts_that_removed, 0);
}

}  // namespace
}  // namespace jabbery::rtf
