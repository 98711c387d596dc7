#include <gtest/gtest.h>
#include <sys/wait.h>

#include <thread>

#include "engine/test_bots.h"
#include "shell/gui_test_support.h"

namespace jabbery {
namespace {

using namespace testing;

// Waits for `done`, looking every 50 ms, at most `timeout`.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

// The program, started in the background on this test's display; killed
// if a test leaves it running.
class Program {
  public:
    Program(const TempFolder& root, const std::string& arguments) : m_root(root) {
        const std::string command = "(cd " + root.Path() + " && " + JABBERY_PROGRAM + " " +
                                    arguments + " >out.txt 2>&1 & echo $! > " + root.File("pid") +
                                    "; wait $!; echo $? > " + root.File("status") + ") &";
        EXPECT_EQ(std::system(command.c_str()), 0);
        WaitFor([this] { return !Pid().empty(); }, 10s);
    }
    ~Program() {
        if (!Ended()) std::system(("kill -KILL " + Pid()).c_str());
    }
    std::string Pid() const { return Trimmed(ReadFile(m_root.File("pid"))); }
    bool Ended() const { return !Trimmed(ReadFile(m_root.File("status"))).empty(); }
    // The exit status once it has ended, else -1.
    int Status(std::chrono::milliseconds timeout = 30s) const {
        if (!WaitFor([this] { return Ended(); }, timeout)) return -1;
        return std::stoi(Trimmed(ReadFile(m_root.File("status"))));
    }
    std::string Output() const { return ReadFile(m_root.File("out.txt")); }

  private:
    static std::string Trimmed(std::string text) {
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        return text;
    }
    const TempFolder& m_root;
};

// Presses `key` (an X key name) in the window titled `title` until that
// window is gone. xdotool, not the framework, types here: this process has
// no window of its own for the framework's input simulator to work from.
bool CloseWithKey(const std::string& title, const std::string& key) {
    return WaitFor(
        [&] {
            const std::optional<wxRect> window = FindScreenWindow(title);
            if (!window) return true;
            const wxPoint centre =
                window->GetPosition() + wxPoint(window->width / 2, window->height / 2);
            std::system(("xdotool mousemove " + std::to_string(centre.x) + " " +
                         std::to_string(centre.y) + " sleep 0.2 key " + key)
                            .c_str());
            std::this_thread::sleep_for(700ms);
            return !FindScreenWindow(title);
        },
        30s);
}

TEST(Program, HelpAndVersionNeedNoDisplay) {
    TempFolder root;
    const std::string prefix = std::string("env -u DISPLAY ") + JABBERY_PROGRAM;
    EXPECT_EQ(std::system((prefix + " --help > " + root.File("help") + " 2>&1").c_str()), 0);
    EXPECT_NE(ReadFile(root.File("help")).find("Usage: jabbery [BOTDIR...]"), std::string::npos);
    EXPECT_EQ(std::system((prefix + " --version > " + root.File("version") + " 2>&1").c_str()), 0);
    EXPECT_EQ(ReadFile(root.File("version")), "jabbery 3.0.1\n");
}

TEST(Program, WithoutADisplayItSaysSoAndEnds) {
    TempFolder root;
    const int status = std::system(("env -u DISPLAY -u WAYLAND_DISPLAY " +
                                    std::string(JABBERY_PROGRAM) + " 2> " + root.File("err"))
                                       .c_str());
    EXPECT_TRUE(WIFEXITED(status)) << "it crashed";
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(ReadFile(root.File("err")).find("DISPLAY"), std::string::npos)
        << ReadFile(root.File("err"));
}

TEST(Program, UnknownOptionEndsWithStatusTwoAndSaysWhy) {
    TempFolder root;
    const int status = std::system(
        (std::string(JABBERY_PROGRAM) + " --frobnicate 2> " + root.File("err")).c_str());
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(ReadFile(root.File("err")).find("--frobnicate"), std::string::npos);
}

TEST(Program, EscapeInTheCountDialogEndsItWithoutAskingForFolders) {
    TempFolder root;
    Program program(root, "");
    ASSERT_TRUE(WaitFor([] { return FindScreenWindow("Number of bots").has_value(); }, 30s));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(CloseWithKey("Number of bots", "Escape"));
    EXPECT_EQ(program.Status(), 0) << program.Output();
    EXPECT_FALSE(FindScreenWindow("Select the folder in which bot 1 of 2 is installed:"));
    EXPECT_FALSE(FindScreenWindow("Jabbery 3.0.1"));
}

TEST(Program, FoldersGivenAsArgumentsRunAConversationThatEscapeEnds) {
    TempFolder root;
    const std::string ann = MakeScriptBot(root, "ann", "Ann", "echo ann >> ../turns.log");
    const std::string bob = MakeScriptBot(root, "bob", "Bob", "echo bob >> ../turns.log");
    Program program(root, ann + " " + bob);
    ASSERT_TRUE(WaitFor([] { return FindScreenWindow("Jabbery 3.0.1").has_value(); }, 30s));
    EXPECT_FALSE(FindScreenWindow("Number of bots"));
    // The timer's two seconds between turns, twice, with room to spare.
    EXPECT_TRUE(
        WaitFor([&] { return ReadFile(root.File("turns.log")).rfind("ann\nbob\n", 0) == 0; }, 30s))
        << ReadFile(root.File("turns.log"));
    EXPECT_TRUE(CloseWithKey("Jabbery 3.0.1", "Escape"));
    EXPECT_EQ(program.Status(), 0) << program.Output();
}

TEST(Program, OneFolderGivenIsRefusedAndTheProgramEnds) {
    TempFolder root;
    const std::string ann = MakeScriptBot(root, "ann", "Ann", "true");
    Program program(root, ann);
    ASSERT_TRUE(WaitFor([] { return FindScreenWindow("jabbery").has_value(); }, 30s));
    EXPECT_TRUE(CloseWithKey("jabbery", "Return"));
    EXPECT_EQ(program.Status(), 0) << program.Output();
    EXPECT_FALSE(FindScreenWindow("Jabbery 3.0.1"));
}

TEST(Program, TerminatedWhileABotRunsItLeavesNoBotBehind) {
    TempFolder root;
    const std::string hang =
        MakeScriptBot(root, "hang", "Hang", "sleep 120 & echo $! > child.pid; sleep 120");
    const std::string bob = MakeScriptBot(root, "bob", "Bob", "true");
    Program program(root, hang + " " + bob);
    std::string child;
    ASSERT_TRUE(WaitFor(
        [&] {
            child = ReadFile(hang + "/child.pid");
            return !child.empty() && child.back() == '\n';
        },
        30s));
    child.pop_back();
    EXPECT_EQ(std::system(("kill -TERM " + program.Pid()).c_str()), 0);
    EXPECT_EQ(program.Status(), 128 + 15) << program.Output();
    const auto running = [&child] {
        const std::string stat = ReadFile("/proc/" + child + "/stat");
        const auto paren = stat.rfind(')');
        return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
    };
    EXPECT_TRUE(WaitFor([&] { return !running(); }, 10s)) << "the bot's child " << child;
}

}  // namespace
}  // namespace jabbery
