// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/test_cli_run.h"
#include "engine/jsonl_log.h"
#include "engine/test_bots.h"
#include "platform/test_environment.h"

namespace jabbery {
namespace {

using namespace testing;

// The usual mistakes of a bot's author, each linked with a good bot that
// speaks second: every failure is named on stderr, and stdout stays as it is
// without warnings. What the log records of each: ConversationLogReader's test.
TEST(Diagnostics, EachFailingBotIsNamedWithItsCause) {
    const std::pair<std::string, std::string> cases[] = {
        {"echo 'my answer'", "did not rewrite chat.msg"},
        {"sleep 30", "timed out after 1 s"},
        {"./no-such-program", "could not be started: command not found"}};
    for (const auto& [command, warning] : cases) {
        SCOPED_TRACE(command);
        TempFolder root;
        const std::string bad = MakeScriptBot(root, "bad", "Bad", command);
        const std::string good = MakeScriptBot(root, "good", "Good", "printf 'ok\\n' > chat.msg");
        std::vector<std::string> arguments = {"--turns",   "2", "--interval", "0",
                                              "--timeout", "1", bad,          good};
        const auto warned = RunCli(root, arguments);
        EXPECT_EQ(warned.m_status, 0);
        EXPECT_NE(warned.m_err.find("jabbery-cli: turn 1: BAD (bot 1) " + warning + "; "),
                  std::string::npos)
            << warned.m_err;
        arguments.push_back("--quiet");
        const auto silent = RunCli(root, arguments);
        EXPECT_EQ(silent.m_err, "");
        EXPECT_EQ(silent.m_out, warned.m_out);
    }
}

// Bots write any bytes: a bad one is U+FFFD in the line. An old file is
// appended to, never truncated. Times are UTC; an answered turn keeps no
// output. What the other fields hold: the log reader's test.
TEST(Diagnostics, JsonLinesAreValidUtf8AppendedToTheFile) {
    TempFolder root;
    WriteFile(root.File("t.jsonl"), "earlier line\n");
    Participant bot;
    bot.m_name = "Odd";
    JsonlLog log("run");
    std::string error;
    ASSERT_TRUE(log.Open(root.File("t.jsonl"), error) &&
                log.AddTurn(bot, Turn{1, 0, "caf\351 \001 \342\202\254", {}}, error))
        << error;
    const std::string written = ReadFile(root.File("t.jsonl"));
    ASSERT_TRUE(written.starts_with("earlier line\n")) << written;
    const auto line = nlohmann::json::parse(written.substr(written.find('\n') + 1));
    EXPECT_EQ(line["text"], "caf\xEF\xBF\xBD \x01 \xE2\x82\xAC");
    EXPECT_TRUE(line["conversation"] == "run" && line["time"] == "1970-01-01T00:00:00.000Z" &&
                !line.contains("output"))
        << line;
}

// A turn that finds the disk full waits, and goes in whole with the next
// turn that fits; turns that never fit are named at the end.
TEST(Diagnostics, JsonLinesWaitForRoomOnAFullDisk) {
    TempFolder root;
    Participant bot;
    bot.m_name = "A";
    const auto turn = [](long long number) { return Turn{number, 0, "hello", {}}; };
    JsonlLog log("run");
    std::string error;
    ASSERT_TRUE(log.Open(root.File("t.jsonl"), error) && log.AddTurn(bot, turn(1), error)) << error;
    const std::size_t one_line = ReadFile(root.File("t.jsonl")).size();
    {
        const ScopedLimit full(RLIMIT_FSIZE, one_line + 10);
        EXPECT_FALSE(log.AddTurn(bot, turn(2), error));
        EXPECT_NE(error.find(": File too large; turn 2 and those after it wait"), std::string::npos)
            << error;
        error.clear();
        EXPECT_FALSE(log.AddTurn(bot, turn(3), error));
        EXPECT_EQ(error, "");
    }
    EXPECT_TRUE(log.AddTurn(bot, turn(4), error)) << error;
    {
        const ScopedLimit full(RLIMIT_FSIZE, one_line);
        EXPECT_FALSE(log.AddTurn(bot, turn(5), error) || log.AddTurn(bot, turn(6), error) ||
                     log.Finish(error));
        EXPECT_TRUE(error.ends_with("; turns 5 to 6 are not in it")) << error;
    }
    std::istringstream lines(ReadFile(root.File("t.jsonl")));
    std::vector<int> turns;
    for (std::string line; std::getline(lines, line);)
        turns.push_back(nlohmann::json::parse(line)["turn"]);
    EXPECT_EQ(turns, (std::vector<int>{1, 2, 3, 4}));
}

// What --try shows of an answer: NewBot's test.
TEST(Diagnostics, TryShowsAFailedExchangeWithItsOutputAndAHint) {
    TempFolder root;
    const std::string printer = MakeScriptBot(root, "printer", "Printer", "echo 'to stdout'");
    const auto failed = RunCli(root, {"--try", printer});
    EXPECT_EQ(failed.m_status, 1);
    EXPECT_NE(failed.m_out.find("reply:   Printer\noutcome: did not rewrite chat.msg\n"),
              std::string::npos);
    EXPECT_NE(failed.m_out.find("output:\n  to stdout\nhint:    the bot printed the output above "
                                "but left chat.msg as it was; if that is its answer, run it "
                                "through jabbery-stdio"),
              std::string::npos)
        << failed.m_out;
    EXPECT_EQ(RunCli(root, {"--try", root.Path()}).m_status, 2);
}

// --check and --try say so when the descriptor reader cuts the command line, which
// here loses the redirection of an echo bot's answer.
TEST(Diagnostics, CheckPrintsAVerdictForEachFolder) {
    TempFolder root;
    const std::string good = MakeScriptBot(root, "good", "Good", "touch ran");
    const std::string cut =
        MakeScriptBot(root, "cut", "Cut", "echo " + std::string(290, 'x') + " > chat.msg");
    const auto all_good = RunCli(root, {"--check", good});
    EXPECT_EQ(all_good.m_status, 0);
    EXPECT_EQ(all_good.m_out, good + ": ok (vorn.nfo, name \"Good\", runs \"touch ran\")\n");
    EXPECT_FALSE(std::filesystem::exists(good + "/ran"));
    const auto some_bad = RunCli(root, {"--check", good, cut});
    const std::string cut_line = "the command line (line 3) is longer than 259 characters";
    EXPECT_EQ(some_bad.m_status, 1);
    EXPECT_TRUE(some_bad.m_out.starts_with(all_good.m_out + cut + ": FAILED: " + cut_line) &&
                CountLines(some_bad.m_out) == 2u)
        << some_bad.m_out;
    EXPECT_NE(RunCli(root, {"--try", cut}).m_out.find("hint:    " + cut_line), std::string::npos);
    // A NUL in a descriptor (one saved as UTF-16) cuts no verdict short.
    const std::string wide = MakeScriptBot(root, "wide", std::string("W\0de", 4), "touch ran");
    EXPECT_EQ(RunCli(root, {"--check", wide, good}).m_out,
              wide + ": ok (vorn.nfo, name \"" + std::string("W\0de", 4) +
                  "\", runs \"touch ran\")\n" + all_good.m_out);
}

}  // namespace
}  // namespace jabbery
