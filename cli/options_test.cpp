// SPDX-License-Identifier: MIT
#include "cli/options.h"

#include <gtest/gtest.h>

namespace jabbery {
namespace {

TEST(CliOptions, ReadsEveryOptionInBothFormsAndKeepsFoldersInOrder) {
    CliOptions options;
    std::string error;
    ASSERT_EQ(ParseCliOptions({"a",        "--turns",     "20",           "--interval=0",
                               "b",        "--timeout",   "010",          "--save",
                               "t.txt",    "--rtf=t.rtf", "--seed",       "7",
                               "--order",  "natural",     "--talk",       "Hask=0",
                               "--talk",   "a=b=100",     "--mute",       "Wren",
                               "--for",    "10m",         "--stop-on",    "(?i)bye",
                               "--loop",   "3",           "--quarantine", "2",
                               "--jitter", "500",         "--opening",    "Good day",
                               "--",       "--c"},
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
    EXPECT_EQ(options.m_order, "natural");
    EXPECT_EQ(options.m_talk,
              (std::vector<std::pair<std::string, int>>{{"Hask", 0}, {"a=b", 100}}));
    EXPECT_EQ(options.m_mute, std::vector<std::string>{"Wren"});
    EXPECT_EQ(options.m_for, std::chrono::minutes(10));
    EXPECT_EQ(options.m_stopOn, "(?i)bye");
    EXPECT_TRUE(options.m_loop == 3 && options.m_quarantine == 2 &&
                options.m_jitter.count() == 500);
    EXPECT_EQ(options.m_opening, "Good day");
}

TEST(CliOptions, RefusesMalformedValuesWithAMessage) {
    const std::vector<std::vector<std::string>> bad = {
        {"--turns", "-1"},   {"--turns", "5x"},        {"--turns", "+5"}, {"--interval", ""},
        {"--timeout", "0"},  {"--seed", "4294967296"}, {"--save="},       {"a", ""},
        {"--", ""},          {"--order", "loud"},      {"--talk", "a"},   {"--talk", "a=101"},
        {"--talk", "=5"},    {"--for", "10"},          {"--for", "0s"},   {"--for", "5d"},
        {"--stop-on", "(x"}, {"--stop-on", ""},        {"--loop", "1"},   {"--quarantine", "0"},
        {"--jitter", "-1"},
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
