// SPDX-License-Identifier: MIT
#include "cli/options.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

TEST(CliOptions, ReadsEveryOptionInBothFormsAndKeepsFoldersInOrder) {
    CliOptions options;
    std::string error;
    ASSERT_EQ(ParseCliOptions({"a", "--turns", "20", "--interval=0", "b", "--timeout", "010",
                               "--save", "t.txt", "--rtf=t.rtf", "--seed", "7", "--", "--c"},
                              options, error),
              OptionsEnd::kRun)
        << error;
    EXPECT_EQ(options.m_botFolders, (std::vector<std::string>{"a", "b", "--c"}));
    EXPECT_EQ(options.m_turns, 20);
    EXPECT_EQ(options.m_interval.count(), 0);
    EXPECT_EQ(options.m_timeout.count(), 10000);  // decimal, not octal
    EXPECT_EQ(options.m_savePath, "t.txt");
    EXPECT_EQ(options.m_rtfPath, "t.rtf");
    EXPECT_EQ(options.m_seed, 7u);
}

TEST(CliOptions, RefusesUnknownOptionsMissingAndMalformedValuesWithAMessage) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"},       {"--turns"},        {"--turns", "-1"},  {"--turns", "5x"},
        {"--turns", "+5"}, {"--interval", ""}, {"--timeout", "0"}, {"--seed", "4294967296"},
        {"--save="},       {"a", ""},          {"--", ""},         {"--stats=0"},
    };
    for (const auto& arguments : bad) {
        CliOptions options;
        std::string error;
        EXPECT_EQ(ParseCliOptions(arguments, options, error), OptionsEnd::kError) << arguments[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace jabbery
