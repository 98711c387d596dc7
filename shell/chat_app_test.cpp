// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>

#include "engine/test_bots.h"
#include "platform/test_environment.h"
#include "platform/test_processes.h"
#include "shell/command_line.h"
#include "shell/gui_test_support.h"

namespace jabbery {
namespace {

using namespace testing;
using Action = OptionsEnd;
using Folders = std::vector<std::string>;

TEST(ParseCommandLine, KeepsFoldersInOrderAsAbsolutePathsWithoutTrailingSlash) {
    const std::string here = std::filesystem::current_path().string();
    TempFolder data;
    ScopedVariable data_home("XDG_DATA_HOME", data.Path());
    const struct {
        Folders m_arguments;
        Folders m_folders;
    } cases[] = {
        {{"/bots/ann/", "bots/./bob", "/"}, {"/bots/ann", here + "/bots/bob", "/"}},
        // Any number: the set-up judges it with its usual message.
        {Folders(16, "/a"), Folders(16, "/a")},
        // A bundled bot's bare name is the user's copy, made now.
        {{"wren", "/a"}, {data.File("jabbery/bots/wren"), "/a"}},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.m_arguments);
        EXPECT_EQ(line.m_action, Action::kRun) << line.m_error;
        EXPECT_EQ(line.m_botFolders, c.m_folders);
    }
    EXPECT_EQ(ParseCommandLine({"--name", "Sam Lee", "/a"}).m_name, "Sam Lee");
    EXPECT_EQ(ParseCommandLine({"--opening", "Good day", "/a"}).m_opening, "Good day");
}

// The program in the background with `environment`, killed if left running.
class Program {
  public:
    Program(const TempFolder& root, const std::string& arguments,
            const std::string& environment = "")
        : m_root(root) {
        const std::string command = "(cd " + root.Path() + " && " + environment + " " +
                                    JABBERY_PROGRAM + " " + arguments +
                                    " >out.txt 2>&1 & echo $! > " + root.File("pid") +
                                    "; wait $!; echo $? > " + root.File("status") + ") &";
        EXPECT_EQ(std::system(command.c_str()), 0);
        Eventually([this] { return !Pid().empty(); });
    }
    ~Program() {
        if (!Ended()) std::system(("kill -KILL " + Pid()).c_str());
    }
    std::string Pid() const { return TrimmedFile(m_root.File("pid")); }
    std::string Status() const { return TrimmedFile(m_root.File("status")); }  // once ended
    bool Ended() const { return !Status().empty(); }

  private:
    const TempFolder& m_root;
};

TEST(Program, SaysItsUsageVersionOrErrorWithoutADisplay) {
    TempFolder root;
    const std::string no_display = "env -u DISPLAY -u WAYLAND_DISPLAY ";
    const struct {
        std::string m_command;
        int m_status;  // -1: any but 0
        std::string m_says;
    } cases[] = {{no_display + JABBERY_PROGRAM " /a --help", 0, "Usage: jabbery [BOTDIR...]\n"},
                 {no_display + JABBERY_PROGRAM " --version /a", 0, "jabbery 3.0.1\nCopyright"},
                 {no_display + JABBERY_PROGRAM " /a ''", 2, "an empty folder name was given"},
                 {no_display + JABBERY_PROGRAM " --name '' /a /b", 2, "an empty name is no name"},
                 {no_display + JABBERY_PROGRAM, -1, "DISPLAY"}};
    for (const auto& c : cases) {
        const int status = std::system((c.m_command + " > " + root.File("out") + " 2>&1").c_str());
        ASSERT_TRUE(WIFEXITED(status)) << c.m_command << " crashed";
        const int code = WEXITSTATUS(status);
        EXPECT_TRUE(c.m_status < 0 ? code != 0 : code == c.m_status) << c.m_command << ": " << code;
        EXPECT_NE(ReadFile(root.File("out")).find(c.m_says), std::string::npos)
            << c.m_command << ": " << ReadFile(root.File("out"));
    }
}

// The folders on its command line take turns without the count question.
TEST(Program, TerminatedWhileABotRunsItLeavesNoBotBehind) {
    TempFolder root;
    const std::string ann = MakeScriptBot(root, "ann", "Ann", "echo ann >> ../turns.log");
    const std::string hang =
        MakeScriptBot(root, "hang", "Hang",
                      "echo hang >> ../turns.log; sleep 120 & echo $! > child.pid; sleep 120");
    Program program(root, ann + " " + hang);
    ASSERT_TRUE(Eventually([] { return FindScreenWindow("Jabbery 3.0.1").has_value(); }, 30));
    EXPECT_FALSE(FindScreenWindow("Number of bots"));
    // The timer's two seconds between turns, twice, with room to spare.
    ASSERT_TRUE(Eventually([&] { return !TrimmedFile(hang + "/child.pid").empty(); }, 30))
        << ReadFile(root.File("turns.log"));
    EXPECT_EQ(ReadFile(root.File("turns.log")), "ann\nhang\n");
    const std::string child = TrimmedFile(hang + "/child.pid");
    EXPECT_EQ(std::system(("kill -TERM " + program.Pid()).c_str()), 0);
    EXPECT_TRUE(Eventually([&] { return program.Ended(); }, 30));
    EXPECT_EQ(program.Status(), "143") << ReadFile(root.File("out.txt"));  // 128 + SIGTERM
    EXPECT_TRUE(Eventually([&] { return !ProcessIsLive(child); })) << "the bot's child " << child;
}

// Killed without a chance to save, its conversation is on disk up to the last turn.
TEST(Autosave, TheTranscriptOnDiskOutlivesSigkill) {
    EXPECT_FALSE(ParseCommandLine({"--no-autosave", "/a", "/b"}).m_autosave);
    TempFolder root;
    const std::string ann = MakeScriptBot(root, "ann", "Ann", RecordAndAnswer("a"));
    const std::string bob = MakeScriptBot(root, "bob", "Bob", RecordAndAnswer("b"));
    Program program(root, ann + " " + bob,
                    "XDG_STATE_HOME=" + root.File("state") + " GSETTINGS_BACKEND=memory");
    std::string file;
    const auto four_turns_kept = [&] {
        std::error_code missing;
        for (const auto& entry :
             std::filesystem::directory_iterator(root.File("state/jabbery/conversations"), missing))
            if (entry.path().extension() == ".txt") file = entry.path().string();
        return SplitLines(ReadFile(file), "\r\n").size() >= 3 + 2 + 4;  // banner, bots, turns
    };
    ASSERT_TRUE(Eventually(four_turns_kept, 60)) << file;
    ::kill(std::stoi(program.Pid()), SIGKILL);
    EXPECT_TRUE(Eventually([&] { return program.Ended(); }));
    std::vector<std::string> lines = SplitLines(ReadFile(file), "\r\n");
    lines.resize(7);
    EXPECT_EQ(Folders(lines.begin() + 3, lines.end()),
              Folders({ann + "/", bob + "/", "ANN> a", "BOB> b"}));
    EXPECT_TRUE(file.ends_with("-" + program.Pid() + ".txt")) << file;
    // Beside it, the same turns as JSON Lines, each line whole.
    const std::string log = ReadFile(file.substr(0, file.size() - 4) + ".jsonl");
    EXPECT_NE(log.find("\"turn\":1,\"bot\":0,\"name\":\"Ann\",\"text\":\"a\""), std::string::npos)
        << log;
    EXPECT_TRUE(log.ends_with("}\n")) << log;
}

}  // namespace
}  // namespace jabbery
