// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/test_cli_run.h"
#include "engine/test_bots.h"

namespace jabbery {
namespace {

using namespace testing;

// Standard output on a full disk is no reader gone away, and no success: a
// conversation's end line and log name the failed write, a batch says its
// summary was not written, and the status is 1 (not 141, not 0).
TEST(JabberyCli, AFullDiskUnderStandardOutputIsNamedAsSuch) {
    TempFolder root;
    const std::string a = MakeScriptBot(root, "a", "A", RecordAndAnswer("hello"));
    const std::string b = MakeScriptBot(root, "b", "B", RecordAndAnswer("hi"));
    const std::string log = root.File("t.jsonl");
    const std::pair<std::string, std::string> cases[] = {
        {"--jsonl " + Quote(log), log},  // the mode, and the file that names the cause
        {"--batch 1 --out " + Quote(root.File("logs")), root.File("err")}};
    for (const auto& [mode, naming] : cases) {
        const std::string command = Quote(JABBERY_CLI) + " --turns 4 --interval 0 " + mode + " " +
                                    Quote(a) + " " + Quote(b) + " > /dev/full 2> " +
                                    Quote(root.File("err"));
        const int status = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << mode << ": " << status;
        const std::string said = ReadFile(root.File("err")) + ReadFile(log);
        EXPECT_EQ(said.find("reader went away"), std::string::npos) << said;
        EXPECT_NE(ReadFile(naming).find("No space left on device"), std::string::npos) << said;
    }
}

// A file size limit (ulimit -f) is met as a full disk is: the program is
// not killed by SIGXFSZ but says what was not written, keeps its log to
// whole lines and ends with status 1.
TEST(JabberyCli, AFileSizeLimitIsMetAsAFullDisk) {
    TempFolder root;
    const std::string reply = "head -c 300 /dev/zero | tr '\\0' y > chat.msg";
    const std::string a = MakeScriptBot(root, "a", "A", reply);
    const std::string b = MakeScriptBot(root, "b", "B", reply);
    const std::string log = root.File("t.jsonl");
    const std::string command = "ulimit -f 8; exec " + Quote(JABBERY_CLI) +
                                " --turns 40 --interval 0 --save " + Quote(root.File("t.txt")) +
                                " --jsonl " + Quote(log) + " " + Quote(a) + " " + Quote(b) +
                                " > /dev/null 2> " + Quote(root.File("err"));
    int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_NE(ReadFile(root.File("err")).find("File too large"), std::string::npos)
        << ReadFile(root.File("err"));
    const std::size_t turns = TurnsOf(log).size();
    EXPECT_TRUE(turns > 0 && turns < 40) << turns;
    // So is the log --continue appends to: its turns that do not fit are named.
    const std::string go_on = "ulimit -f 8; exec " + Quote(JABBERY_CLI) + " --continue " +
                              Quote(log) + " --turns 4 --interval 0 > /dev/null 2> " +
                              Quote(root.File("err"));
    status = std::system(go_on.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_NE(ReadFile(root.File("err")).find(" not in it"), std::string::npos)
        << ReadFile(root.File("err"));
    // So is an export's file, which is then not made at all.
    const std::string out = root.File("t.html");
    const std::string exported = "ulimit -f 1; exec " + Quote(JABBERY_CLI) + " --export html " +
                                 Quote(log) + " " + Quote(out) + " 2> " + Quote(root.File("err"));
    status = std::system(exported.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_NE(ReadFile(root.File("err")).find("File too large"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace jabbery
