// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <functional>

#include "cli/test_cli_run.h"
#include "engine/test_bots.h"

namespace jabbery {
namespace {

using namespace jabbery::testing;

// jabbery-cli run as a user at a terminal runs it: on the pseudo-terminal of
// a tmux server of the test's own (80 columns, 24 rows), which shows what a
// terminal would. The terminal's modes before and after it (stty -g) and
// its exit status land in files of `root`.
class TerminalRun {
  public:
    TerminalRun(const TempFolder& root, const std::vector<std::string>& arguments) : m_root(root) {
        std::string command = Quote(JABBERY_CLI);
        for (const std::string& argument : arguments) command += " " + Quote(argument);
        // The shell lives on past a Ctrl-C or Ctrl-\ to write down what it saw.
        EXPECT_TRUE(Tmux("new-session -d -x 80 -y 24 -c " + Quote(root.Path()) + " " +
                         Quote("trap : INT QUIT; stty -g > before; " + command +
                               "; echo $? > status; stty -g > after; sleep 60")));
    }
    ~TerminalRun() { Tmux("kill-server"); }

    // Keys as tmux names them: text, Enter, Up, C-c.
    void Press(const std::string& keys) { EXPECT_TRUE(Tmux("send-keys " + keys)) << keys; }
    // The screen's rows, blanks at their ends dropped, down to the last that
    // is not blank: the input line.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        std::FILE* screen = ::popen(TmuxCommand("capture-pane -p").c_str(), "r");
        for (char row[256]; screen != nullptr && std::fgets(row, sizeof row, screen);) {
            std::string& added = rows.emplace_back(row, std::strcspn(row, "\n"));
            added.erase(added.find_last_not_of(' ') + 1);
        }
        if (screen != nullptr) ::pclose(screen);
        while (!rows.empty() && rows.back().empty()) rows.pop_back();
        return rows;
    }
    bool ShowsSoon(const std::function<bool(const std::vector<std::string>&)>& condition) {
        return Eventually([&] { return condition(Rows()); }, 20);
    }
    bool InputLineSoon(const std::string& typed) {
        const std::string shown = typed.empty() ? "SAM>" : "SAM> " + typed;
        return ShowsSoon([&](const auto& rows) { return !rows.empty() && rows.back() == shown; });
    }
    // Its exit status once it ends, or -1.
    int ExitStatus() {
        if (!Eventually([&] { return !ReadFile(m_root.File("after")).empty(); }, 20)) return -1;
        return std::stoi(ReadFile(m_root.File("status")));
    }
    bool ModesAsBefore() const {
        return ReadFile(m_root.File("before")) == ReadFile(m_root.File("after"));
    }

  private:
    std::string TmuxCommand(const std::string& arguments) const {
        return "tmux -S " + Quote(m_root.File("tmux")) + " -f /dev/null " + arguments;
    }
    bool Tmux(const std::string& arguments) const {
        return std::system((TmuxCommand(arguments) + " > /dev/null 2>&1").c_str()) == 0;
    }

    const TempFolder& m_root;
};

// Sam joins two bots that answer at once, numbering their lines ("Ann 7").
std::vector<std::string> Arguments(const TempFolder& root) {
    std::vector<std::string> arguments = {"--join", "--name", "Sam", "--interval", "100"};
    for (const char* name : {"Ann", "Bob"}) {
        arguments.push_back(
            MakeScriptBot(root, name, name,
                          std::string("n=$(($(cat n 2>/dev/null || echo 0) + 1)); echo $n > n; ") +
                              "printf '%s %s\\r\\n' " + name + " $n > chat.msg"));
    }
    return arguments;
}

bool Shown(const std::vector<std::string>& rows, const std::string& line) {
    return std::find(rows.begin(), rows.end(), line) != rows.end();
}

TEST(InputLine, KeepsAHalfTypedLineBelowTheBotsAndRecallsItWithUp) {
    TempFolder root;
    TerminalRun run(root, Arguments(root));
    ASSERT_TRUE(run.InputLineSoon(""));
    run.Press("'hello wor'");
    ASSERT_TRUE(run.InputLineSoon("hello wor"));
    // Ten bot lines more: each bot's number five on from Ann's count now.
    std::string count;
    ASSERT_TRUE(Eventually([&] { return !(count = TrimmedFile(root.File("Ann/n"))).empty(); }));
    const std::string last = " " + std::to_string(std::stoi(count) + 5);
    EXPECT_TRUE(run.ShowsSoon([&](const auto& now) {
        return Shown(now, "ANN> Ann" + last) && Shown(now, "BOB> Bob" + last);
    }));
    EXPECT_TRUE(run.InputLineSoon("hello wor"));
    run.Press("ld Enter");
    EXPECT_TRUE(run.ShowsSoon(
        [](const auto& now) { return Shown(now, "SAM> hello world") && now.back() == "SAM>"; }));
    run.Press("Up");
    EXPECT_TRUE(run.InputLineSoon("hello world"));
}

// However the run ends, with a half-typed line or none, the terminal echoes
// and reads lines again afterwards.
TEST(InputLine, TheTerminalsModesComeBackWhateverEndsTheRun) {
    const struct {
        const char* keys;
        std::vector<int> statuses;
    } ends[] = {
        {"/quit Enter", {0}},
        {"half C-c", {128 + SIGINT}},  // Ctrl-C: the conversation stops and is saved
        // Ctrl-\ at once after it: the program is ended by whichever signal comes last.
        {"half C-c 'C-\\'", {128 + SIGINT, 128 + SIGQUIT}},
        {"C-d", {0}},  // Ctrl-D: input ends, the turns run out
    };
    for (const auto& end : ends) {
        TempFolder root;
        std::vector<std::string> arguments = Arguments(root);
        arguments.insert(arguments.begin(), {"--turns", "30"});
        TerminalRun run(root, arguments);
        ASSERT_TRUE(run.InputLineSoon(""));
        run.Press(end.keys);
        const int status = run.ExitStatus();
        EXPECT_NE(std::find(end.statuses.begin(), end.statuses.end(), status), end.statuses.end())
            << end.keys << " ended with " << status;
        EXPECT_TRUE(run.ModesAsBefore()) << end.keys;
    }
}

}  // namespace
}  // namespace jabbery
