// SPDX-License-Identifier: MIT
#include "rtf/rtf_incremental.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "rtf/test_rtf_documents.h"

namespace jabbery::rtf {
namespace {

using namespace jabbery::testing;

// What a text control holds: one code point per entry, with its style.
using Shown = std::vector<StyledRun>;
Shown Expand(const std::vector<StyledRun>& runs) {
    Shown shown;
    for (const auto& run : runs) {
        for (char c : run.m_text) {
            if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) {
                shown.back().m_text += c;
            } else {
                shown.push_back(StyledRun{std::string(1, c), run.m_colour, run.m_bold});
            }
        }
    }
    return shown;
}

// Does to `shown` what a view does with an update.
void Apply(const DocumentUpdate& update, Shown& shown) {
    if (update.m_rebuild) {
        shown = Expand(update.m_runs);
        return;
    }
    ASSERT_LE(update.m_removeChars, shown.size());
    shown.resize(shown.size() - update.m_removeChars);
    for (const auto& c : Expand(update.m_runs)) shown.push_back(c);
}

// Each update shows what a full read shows; growth before the trailer is
// appended, replacing only what the old trailer showed; anything else rebuilds.
TEST(IncrementalRtfReader, AppendsWhatGrewAndRebuildsOnAnyOtherChange) {
    const std::string a = TurnLine(1, "A", "hi");
    const std::string header = kRtfHeader;
    const std::tuple<std::string, bool, std::size_t, std::string> steps[] = {
        {RtfDocument(a), true, 0, "A> hi\n"},
        {RtfDocument(a + TurnLine(2, "B", "yo")), false, 0, "B> yo\n"},
        {RtfDocument(a + TurnLine(2, "B", "yo")), false, 0, ""},
        {RtfDocument(TurnLine(1, "A", "ho") + a), true, 0, "A> ho\nA> hi\n"},  // changed
        {RtfDocument(""), true, 0, ""},                                        // shorter
        {header + a, true, 0, "A> hi\n"},                                      // no trailer
        {header + a + a, true, 0, "A> hi\nA> hi\n"},
        {RtfDocument(a), true, 0, "A> hi\n"},
        // The body ends inside a UTF-8 sequence: Windows-1252 until complete.
        {RtfDocument(a + "x\\'e2\\'82"), false, 0, "x\u00E2\u201A"},
        {RtfDocument(a + "x\\'e2\\'82\\'ac"), false, 2, "\u20AC"},
        // A \par at the body's end shows only once more follows.
        {RtfDocument(a + "x\\'e2\\'82\\'ac\\par "), false, 0, "\n"},
        {RtfDocument(a + "x\\'e2\\'82\\'ac\\par b"), false, 1, "\nb"},
    };
    IncrementalRtfReader reader(kRtfTrailer);
    Shown shown;
    for (const auto& [document, rebuild, remove, text] : steps) {
        SCOPED_TRACE(document.substr(header.size()));
        const DocumentUpdate update = reader.Update(document);
        EXPECT_EQ(update.m_rebuild, rebuild);
        EXPECT_EQ(update.m_rebuild ? 0 : update.m_removeChars, remove);
        EXPECT_EQ(TextOf(update.m_runs), text);
        Apply(update, shown);
        EXPECT_EQ(shown, Expand(ParseDocument(document)));
    }
}

// The same on random documents that grow, change or lose their trailer.
TEST(IncrementalRtfReader, RandomGrowthAndEditsMatchAFullRead) {
    std::mt19937 random(2024);
    int appends_that_removed = 0;
    for (int sequence = 0; sequence < 60; ++sequence) {
        IncrementalRtfReader reader(kRtfTrailer);
        Shown shown;
        std::string body, previous;
        for (int step = 0; step < 60; ++step) {
            const unsigned choice = random() % 10;
            if (choice < 6) {
                body += random() % 2 ? TurnLine(static_cast<int>(random() % 4), "N",
                                                testing::RandomRtf(random, random() % 20))
                                     : testing::RandomRtf(random, random() % 12);
            } else if (choice < 8 && !body.empty()) {
                const std::size_t at = random() % body.size();
                body.replace(at, random() % 4, testing::RandomRtf(random, random() % 4));
            } else if (choice == 8) {
                body += TurnLine(1, "A", "plain line");
            }
            // choice 9: the same document again; now and then the trailer is missing.
            const std::string document = random() % 25 == 0 ? kRtfHeader + body : RtfDocument(body);
            // Every other sequence vouches for the bytes unchanged, as the conversation does.
            std::size_t unchanged = 0;
            while (sequence % 2 && unchanged < std::min(document.size(), previous.size()) &&
                   document[unchanged] == previous[unchanged]) {
                ++unchanged;
            }
            const auto update = reader.Update(document, unchanged);
            previous = document;
            appends_that_removed += !update.m_rebuild && update.m_removeChars > 0;
            Apply(update, shown);
            ASSERT_EQ(shown, Expand(ParseDocument(document)))
                << "sequence " << sequence << " step " << step;
        }
    }
    // Appends happened, and the old trailer's text had to be taken away now and then.
    EXPECT_GT(appends_that_removed, 0);
}

}  // namespace
}  // namespace jabbery::rtf
