#include <gtest/gtest.h>
#include <sys/wait.h>

#include "engine/test_bots.h"
#include "platform/test_processes.h"
#include "shell/gui_test_support.h"

namespace jabbery {
namespace {

using namespace testing;

// The program, started in the background on this test's display; killed
// if a test leaves it running.
class Program {
  public:
    Program(const TempFolder& root, const std::string& arguments) : m_root(root) {
        const std::string command = "(cd " + root.Path() + " && " + JABBERY_PROGRAM + " " +
                                    arguments + " >out.txt 2>&1 & echo $! > " + root.File("pid") +
                                    "; wait $!; echo $? > " + root.File("status") + ") &";
        EXPECT_EQ(std::system(command.c_str()), 0);
        Eventually([this] { return !Pid().empty(); });
    }
    ~Program() {
        if (!Ended()) std::system(("kill -KILL " + Pid()).c_str());
    }
    std::string Pid() const { return TrimmedFile(m_root.File("pid")); }
    bool Ended() const { return !TrimmedFile(m_root.File("status")).empty(); }
    // The exit status once it has ended, else -1.
    int Status() const {
        if (!Eventually([this] { return Ended(); }, 30)) return -1;
        return std::stoi(TrimmedFile(m_root.File("status")));
    }
    std::string Output() const { return ReadFile(m_root.File("out.txt")); }

  private:
    const TempFolder& m_root;
};

bool Shows(const std::string& title) {
    return Eventually([&] { return FindScreenWindow(title).has_value(); }, 30);
}

TEST(Program, AnswersHelpAndVersionWithoutADisplayAndSaysWhyItCannotRun) {
    TempFolder root;
    const std::string no_display = "env -u DISPLAY -u WAYLAND_DISPLAY ";
    const struct {
        std::string m_command;
        int m_status;  // -1: any but 0
        std::string m_says;
    } cases[] = {{no_display + JABBERY_PROGRAM " --help", 0, "Usage: jabbery [BOTDIR...]\n"},
                 {JABBERY_PROGRAM " -h", 0, "Usage: jabbery"},
                 {no_display + JABBERY_PROGRAM " --version", 0, "jabbery 3.0.1\nCopyright"},
                 {no_display + JABBERY_PROGRAM, -1, "DISPLAY"},
                 {JABBERY_PROGRAM " --frobnicate", 2, "--frobnicate"}};
    for (const auto& c : cases) {
        const int status = std::system((c.m_command + " > " + root.File("out") + " 2>&1").c_str());
        ASSERT_TRUE(WIFEXITED(status)) << c.m_command << " crashed";
        const int code = WEXITSTATUS(status);
        EXPECT_TRUE(c.m_status < 0 ? code != 0 : code == c.m_status) << c.m_command << ": " << code;
        EXPECT_NE(ReadFile(root.File("out")).find(c.m_says), std::string::npos)
            << c.m_command << ": " << ReadFile(root.File("out"));
    }
}

TEST(Program, FoldersGivenAsArgumentsTakeTurnsAndTerminatedItLeavesNoBotBehind) {
    TempFolder root;
    const std::string ann = MakeScriptBot(root, "ann", "Ann", "echo ann >> ../turns.log");
    const std::string hang =
        MakeScriptBot(root, "hang", "Hang",
                      "echo hang >> ../turns.log; sleep 120 & echo $! > child.pid; sleep 120");
    Program program(root, ann + " " + hang);
    ASSERT_TRUE(Shows("Jabbery 3.0.1"));
    EXPECT_FALSE(FindScreenWindow("Number of bots"));
    // The timer's two seconds between turns, twice, with room to spare.
    ASSERT_TRUE(Eventually([&] { return !TrimmedFile(hang + "/child.pid").empty(); }, 30))
        << ReadFile(root.File("turns.log"));
    EXPECT_EQ(ReadFile(root.File("turns.log")), "ann\nhang\n");
    const std::string child = TrimmedFile(hang + "/child.pid");
    EXPECT_EQ(std::system(("kill -TERM " + program.Pid()).c_str()), 0);
    EXPECT_EQ(program.Status(), 128 + 15) << program.Output();
    EXPECT_TRUE(Eventually([&] { return !ProcessIsLive(child); })) << "the bot's child " << child;
}

}  // namespace
}  // namespace jabbery
