// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/test_cli_run.h"
#include "engine/test_bots.h"
#include "platform/text_file.h"

namespace jabbery {
namespace {

using namespace testing;

// Three bots: Ann answers with the start of the line she was handed, Bob
// with a line of his own; Cy fails, exiting or killed by a signal, after
// some output.
std::vector<std::string> MakeBots(const TempFolder& root) {
    return {MakeScriptBot(root, "ann", "Ann",
                          "printf 'Ann after %s\\r\\n' \"$(sed -n 2p chat.msg | cut -c1-12)\" "
                          "> chat.msg"),
            MakeScriptBot(root, "bob", "Bob", "printf 'Bob, <b>{\\\\b1}\\r\\n' > chat.msg"),
            MakeScriptBot(root, "cy", "Cy",
                          "echo trying; echo 'no luck' >&2; "
                          "if [ -e once ]; then kill -SEGV $$; else touch once; exit 3; fi")};
}

std::vector<std::string> With(std::vector<std::string> arguments,
                              const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

// --replay prints the run again with none of its bots left to run, and
// --export writes its files again.
TEST(ConversationLog, GivesTheRunBackAsItWasPrintedAndWritten) {
    TempFolder root;
    const std::string log = root.File("log.jsonl");
    const CliOutcome ran = RunCli(root, With({"--interval", "0", "--turns", "12", "--seed", "5",
                                              "--jsonl", log, "--rtf", root.File("ran.rtf")},
                                             MakeBots(root)));
    ASSERT_EQ(ran.m_status, 0) << ran.m_err;
    ASSERT_NE(ran.m_err.find("exited with code 3"), std::string::npos) << ran.m_err;
    ASSERT_NE(ran.m_err.find("killed by signal SIGSEGV"), std::string::npos) << ran.m_err;
    std::filesystem::remove_all(root.File("cy"));
    const CliOutcome replayed = RunCli(root, {"--replay", log, "--rtf", root.File("replayed.rtf")});
    EXPECT_EQ(replayed.m_status, 0) << replayed.m_err;
    EXPECT_EQ(replayed.m_out, ran.m_out);
    EXPECT_EQ(replayed.m_err, ran.m_err);
    EXPECT_EQ(ReadFile(root.File("replayed.rtf")), ReadFile(root.File("ran.rtf")));
    for (const char* format : {"rtf", "txt", "html", "md"}) {
        const CliOutcome exported =
            RunCli(root, {"--export", format, log, root.File(std::string("out.") + format)});
        EXPECT_EQ(exported.m_status, 0) << format << ": " << exported.m_err;
    }
    EXPECT_EQ(ReadFile(root.File("out.rtf")), ReadFile(root.File("ran.rtf")));
}

TEST(Continue, GoesOnAsOneRunWithTheSameSeed) {
    TempFolder root;
    std::vector<std::string> bots = MakeBots(root);
    bots.push_back(MakeScriptBot(root, "dee", "Dee", RecordAndAnswer("Dee here")));
    // Cy's failures sit him out; the pooled order keeps a round's state:
    // both must go on as they were, and the log keeps the order and rule.
    const std::vector<std::string> common{"--interval",   "0", "--seed", "9", "--order", "pooled",
                                          "--quarantine", "1", "--jsonl"};
    const CliOutcome whole =
        RunCli(root, With(With(common, {root.File("20.jsonl"), "--turns", "20"}), bots));
    ASSERT_EQ(whole.m_status, 0) << whole.m_err;
    std::filesystem::remove(root.File("cy/once"));
    const CliOutcome first =
        RunCli(root, With(With(common, {root.File("10.jsonl"), "--turns", "10"}), bots));
    ASSERT_EQ(first.m_status, 0) << first.m_err;
    std::filesystem::remove(root.File("cy/once"));
    const CliOutcome rest =
        RunCli(root, {"--continue", root.File("10.jsonl"), "--interval", "0", "--turns", "10"});
    ASSERT_EQ(rest.m_status, 0) << rest.m_err;

    EXPECT_EQ(TurnsOf(root.File("10.jsonl")), TurnsOf(root.File("20.jsonl")));
    // The introductions again, then the new turns as the whole run printed them.
    const std::size_t intros = whole.m_out.find("ANN> ");  // the first speaks first
    std::size_t eleventh = intros;
    for (int line = 0; line < 10; ++line) eleventh = whole.m_out.find('\n', eleventh) + 1;
    EXPECT_EQ(rest.m_out, whole.m_out.substr(0, intros) + whole.m_out.substr(eleventh));
    // The old end, then the `continued` record and, after the new turns, a new end.
    const std::string log = ReadFile(root.File("10.jsonl"));
    const std::size_t old_end = log.find("\"end\":");
    EXPECT_NE(log.find("\"continued\":10", old_end), std::string::npos);
    EXPECT_NE(log.rfind("\"end\":\"turns\",\"detail\":\"10 turns were asked for\",\"turns\":20}"),
              old_end);
}

TEST(ReplayContinueAndExport, RefuseWhatTheyCannotUse) {
    TempFolder root;
    const std::vector<std::string> bots = MakeBots(root);
    ASSERT_EQ(
        RunCli(root,
               With({"--turns", "2", "--interval", "0", "--jsonl", root.File("log.jsonl")}, bots))
            .m_status,
        0);
    WriteFile(root.File("empty.jsonl"), "\n");
    std::filesystem::remove(root.File("bob/vorn.nfo"));
    const std::string log = root.File("log.jsonl");
    // A log another run still appends to: two runs would mingle their turns in it.
    std::filesystem::copy_file(log, root.File("busy.jsonl"));
    AppendingFile busy;
    std::string error;
    ASSERT_TRUE(busy.Open(root.File("busy.jsonl"), error)) << error;
    const struct {
        std::vector<std::string> arguments;
        std::string message;
        int status = 2;  // 1: a file that could not be written
    } cases[] = {
        {{"--replay", root.File("none.jsonl")}, "none.jsonl: No such file or directory"},
        {{"--continue", root.File("empty.jsonl")}, "empty.jsonl: it records no participant"},
        {{"--continue", log},
         "log.jsonl: bot 2 (Bob): " + bots[1] + ": no vorn.nfo in this folder"},
        {{"--continue", log, bots[0]}, "the conversation has 3 bots, and 1 folders were given"},
        {{"--continue", log, "--turns", "1", bots[2], bots[0], bots[2]},
         "(Ann): " + bots[2] + " holds the bot Cy"},
        {{"--replay", log, bots[0]}, "--replay takes no BOTDIR and no --join"},
        {{"--replay", log, "--save", log}, "--save and --replay name the same file"},
        {{"--replay", log, "--mute", "Ann"}, "--mute excludes --replay"},
        {{"--export", "md", log, root.File("new.md"), "--turns", "1"}, "--turns excludes --export"},
        {{"--continue", log, "--jsonl", root.File("x")}, "leave out --jsonl"},
        {{"--continue", root.File("busy.jsonl")}, "busy.jsonl is still being written"},
        {{"--export", "md", log, root.File("empty.jsonl")}, "an export never replaces a file"},
        {{"--export", "pdf", log, root.File("new.pdf")}, "--export: pdf not in {html,md,txt,rtf}"},
        {{"--export", "md", log}, "--export takes a FORMAT, then the LOG to read and the OUT"},
        {{"--export", "md", log, root.File("none/out.md")}, "none/out.md: No such file", 1},
        {{"--try", bots[0], "--rtf", root.File("t.rtf")}, "--rtf excludes --try"},
    };
    for (const auto& [arguments, message, status] : cases) {
        const CliOutcome outcome = RunCli(root, arguments);
        EXPECT_EQ(outcome.m_status, status) << message;
        EXPECT_NE(outcome.m_err.find(message), std::string::npos) << outcome.m_err;
    }
}

}  // namespace
}  // namespace jabbery
