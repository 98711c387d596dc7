// SPDX-License-Identifier: MIT
#include "rtf/rtf_incremental.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "rtf/test_rtf_documents.h"

namespace jabbery::rtf {
namespace {

using namespace jabbery::testing;

using Shown = std::vector<StyledRun>;

// Random parts, lines or pieces that reach every reader state (a group or
// a UTF-8 sequence left open, a \par at the body's end): after each, the
// view shows exactly what a full read of the document so far shows, and
// that read gives well-formed runs.
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
