// SPDX-License-Identifier: MIT
#include "transcript/transcript_file.h"

#include <gtest/gtest.h>
#include <time.h>

#include <optional>

#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

const ClockSource kClock = [] {
    std::tm local{};
    local.tm_isdst = -1;
    ::strptime("2026-12-06 15:46:00", "%Y-%m-%d %H:%M:%S", &local);
    return std::mktime(&local);
};
const std::string kRule(77, '#');
const std::string kBanner =
    kRule + "\r\n### Jabbery 3.0: Transcript of December 6, 2026 at 3:46\r\n" + kRule + "\r\n";
const CPlainString kPlain = "/bots/a/\r\n/bots/b/\r\nA> Hi there\r\nB> {odd} \\ text\r\n";

// A new file gets the banner and the transcript and nothing else; an
// existing one keeps its content and gets an empty line, then the same.
TEST(SaveTranscript, TheBannerAndTranscriptGoAfterAnEmptyLineInAFileThatWasThere) {
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {std::nullopt, ""}, {"", "\r\n"}, {"earlier\r\n", "earlier\r\n\r\n"}};
    for (const auto& [before, after] : cases) {
        TempFolder root;
        if (before) WriteFile(root.File("t.txt"), *before);
        std::string error;
        ASSERT_TRUE(AppendTranscriptToFile(root.File("t.txt"), kPlain, kClock, error)) << error;
        EXPECT_EQ(ReadFile(root.File("t.txt")), after + kBanner + kPlain.Str());
        ASSERT_TRUE(AppendTranscriptToFile(root.File("new.txt"), "", kClock, error));
        EXPECT_EQ(ReadFile(root.File("new.txt")), kBanner);
    }
}

// A clock that moves on with every reading, one second before New Year:
// the banner shows the first reading only.
TEST(SaveTranscript, TheBannerReadsTheClockOnceSoASaveAtNewYearCannotMixTwoMoments) {
    TempFolder root;
    std::time_t next = kClock() + (25 * 24 + 8) * 3600 + 13 * 60 + 59;
    int readings = 0;
    const ClockSource ticking = [&] { return ++readings, next++; };
    std::string error;
    ASSERT_TRUE(AppendTranscriptToFile(root.File("t.txt"), "", ticking, error)) << error;
    EXPECT_EQ(readings, 1);
    EXPECT_NE(ReadFile(root.File("t.txt")).find("of December 31, 2026 at 11:59\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace jabbery
