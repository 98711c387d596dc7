#include "transcript/file_names.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

TEST(FileNames, SuggestTheDatedNameAndAddTheExtensionOnlyToANameWithoutOne) {
    // 2026-12-06 12:00 UTC is that day in every time zone from -11 to +11.
    const ClockSource noon = [] { return std::time_t{1796558400}; };
    EXPECT_EQ(SuggestedTranscriptName(".txt", noon), "Jabbery transcript 2026-12-06.txt");
    EXPECT_EQ(WithDefaultExtension("/a/chat", ".txt"), "/a/chat.txt");
    EXPECT_EQ(WithDefaultExtension("/a.b/chat", ".txt"), "/a.b/chat.txt");
    EXPECT_EQ(WithDefaultExtension("/a/chat.log", ".txt"), "/a/chat.log");
    EXPECT_EQ(WithDefaultExtension("/a/chat.txt", ".txt"), "/a/chat.txt");
    EXPECT_EQ(WithDefaultExtension("/a/", ".txt"), "/a/");
}

}  // namespace
}  // namespace jabbery
