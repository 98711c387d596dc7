// SPDX-License-Identifier: MIT
#include "cli/output_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "cli/test_cli_run.h"
#include "engine/test_bots.h"

namespace jabbery {
namespace {

namespace fs = std::filesystem;
using namespace testing;

OutputTarget Save(const std::string& path) {
    return {"--save", path, OutputRule::kAppend};
}
OutputTarget Rtf(const std::string& path) {
    return {"--rtf", path, OutputRule::kCreateNew};
}

// With one line each: what cannot be written, or would replace a file.
TEST(CheckOutputTargets, RefusesWhatCannotBeWrittenAsAsked) {
    TempFolder root;
    WriteFile(root.File("old.txt"), "OLD\r\n");
    fs::create_directory(root.File("sub"));
    ASSERT_EQ(::mkfifo(root.File("r.fifo").c_str(), 0600), 0);
    fs::create_symlink(root.File("gone"), root.File("dangling"));
    fs::create_symlink(root.File("old.txt"), root.File("alias"));
    const std::pair<std::vector<OutputTarget>, std::string> cases[] = {
        {{Save(root.File("new.txt")), Rtf(root.File("new.rtf"))}, ""},
        {{Save(root.File("old.txt")), Save("relative.txt")}, ""},
        {{Rtf(root.File("old.txt"))}, "the file exists, and jabbery-cli never replaces a file"},
        {{Rtf(root.File("dangling"))}, "symbolic link to a file that does not exist"},
        {{Save(root.File("r.fifo"))}, "it is not a regular file"},
        {{Save(root.File("sub"))}, "it is a folder"},
        {{Save(root.File("missing/t.txt"))}, "its folder cannot be used: No such file"},
        {{Save(root.File("old.txt")), Save(root.File("alias"))}, "--save and --save name the same"},
        {{Rtf(root.File("n.rtf")), Save(root.File("sub/../n.rtf"))},
         "--rtf and --save name the same"},
        {{{"--replay", root.File("missing/log.jsonl"), OutputRule::kRead}}, ""},
    };
    for (const auto& [targets, problem] : cases) {
        const std::string said = CheckOutputTargets(targets);
        EXPECT_TRUE(problem.empty() ? said.empty() : said.find(problem) != std::string::npos)
            << said;
        EXPECT_EQ(said.find('\n'), std::string::npos);
    }
    EXPECT_EQ(ReadFile(root.File("old.txt")), "OLD\r\n");
    EXPECT_FALSE(fs::exists(root.File("new.txt")) || fs::exists(root.File("new.rtf")));
}

// A save folder a bot removes and an --rtf file it plants during the run:
// the terminal says what was lost, and the document goes to the next free
// name, never over the planted file.
TEST(JabberyCliOutputs, SaysWhatBecameOfOutputsChangedDuringTheRun) {
    TempFolder root;
    const std::string a = MakeScriptBot(root, "a", "A", "true");
    fs::create_directory(root.File("gone"));
    const std::string bad = MakeScriptBot(
        root, "b", "B", "rm -rf ../gone; echo theirs > ../t.rtf; echo x > '../t (2).rtf'");
    const auto run = RunCli(root, {"--quiet", "--turns", "1", "--interval", "0", "--save",
                                   root.File("gone/t.txt"), "--rtf", root.File("t.rtf"), bad, a});
    EXPECT_EQ(run.m_status, 1);
    EXPECT_NE(run.m_err.find(": No such file or directory; the plain transcript was not saved (run "
                             "again with another --save file)\n"),
              std::string::npos)
        << run.m_err;
    EXPECT_NE(run.m_err.find("jabbery-cli: --rtf " + root.File("t.rtf") +
                             ": a file of that name appeared during the run; the document is in " +
                             root.File("t (3).rtf") + "\n"),
              std::string::npos)
        << run.m_err;
    EXPECT_EQ(ReadFile(root.File("t.rtf")), "theirs\n");
    EXPECT_TRUE(ReadFile(root.File("t (3).rtf")).starts_with("{\\rtf1"));
}

}  // namespace
}  // namespace jabbery
