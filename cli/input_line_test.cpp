// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <termios.h>

#include <cstring>

#include "cli/test_cli_run.h"
#include "cli/test_screen.h"
#include "engine/test_bots.h"

namespace jabbery {
namespace {

using namespace jabbery::testing;

constexpr int kRows = 24;
constexpr int kColumns = 80;

// jabbery-cli on a pseudo-terminal of its own (xterm, 24 rows of 80), as a
// user at a terminal runs it; the test types and reads the screen.
class TerminalRun {
  public:
    explicit TerminalRun(const std::vector<std::string>& arguments) {
        winsize size{kRows, kColumns, 0, 0};
        EXPECT_EQ(::openpty(&m_master, &m_terminal, nullptr, nullptr, &size), 0);
        ::tcgetattr(m_terminal, &m_modesBefore);
        std::vector<char*> argv{const_cast<char*>(JABBERY_CLI)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.data()));
        argv.push_back(nullptr);
        m_pid = ::fork();
        if (m_pid == 0) {
            // A session whose controlling terminal this is: Ctrl-C reaches it.
            ::setsid();
            ::ioctl(m_terminal, TIOCSCTTY, 0);
            for (int fd = 0; fd <= 2; ++fd) ::dup2(m_terminal, fd);
            ::setenv("TERM", "xterm", 1);
            // SIGQUIT ends it without leaving a core file behind.
            const rlimit no_core{0, 0};
            ::setrlimit(RLIMIT_CORE, &no_core);
            ::execv(JABBERY_CLI, argv.data());
            ::_exit(127);
        }
    }
    ~TerminalRun() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_master);
        ::close(m_terminal);
    }

    void Type(const std::string& keys) {
        ASSERT_EQ(::write(m_master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Reads what the program writes until `condition` holds of the screen.
    template <typename Condition>
    bool ShowsSoon(Condition condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!condition(m_screen)) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            Read(50);
        }
        return true;
    }
    // Its exit status once it ends (reading on meanwhile), or -1.
    int ExitStatus() {
        int status = 0;
        const bool ended = Eventually([&] {
            Read(10);
            return ::waitpid(m_pid, &status, WNOHANG) == m_pid;
        });
        if (!ended) return -1;
        m_pid = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    // True when the terminal's modes are as they were before it ran.
    bool ModesAsBefore() const {
        termios now{};
        ::tcgetattr(m_terminal, &now);
        return now.c_iflag == m_modesBefore.c_iflag && now.c_oflag == m_modesBefore.c_oflag &&
               now.c_lflag == m_modesBefore.c_lflag &&
               std::memcmp(now.c_cc, m_modesBefore.c_cc, sizeof now.c_cc) == 0;
    }
    const TestScreen& Screen() const { return m_screen; }

  private:
    void Read(int wait_ms) {
        pollfd ready{m_master, POLLIN, 0};
        if (::poll(&ready, 1, wait_ms) <= 0) return;
        char buffer[4096];
        const ssize_t got = ::read(m_master, buffer, sizeof buffer);
        if (got > 0) m_screen.Feed({buffer, static_cast<std::size_t>(got)});
    }

    int m_master = -1;
    int m_terminal = -1;
    termios m_modesBefore{};
    pid_t m_pid = 0;
    TestScreen m_screen{kRows, kColumns};
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

bool Prompting(const TestScreen& screen, const std::string& typed = "") {
    return screen.CursorRow() == "SAM>" + (typed.empty() ? "" : " " + typed);
}

TEST(InputLine, AHalfTypedLineStaysBelowTheBotsLinesAndIsSentWhole) {
    TempFolder root;
    TerminalRun run(Arguments(root));
    ASSERT_TRUE(run.ShowsSoon([](const TestScreen& s) { return Prompting(s); }));
    run.Type("hello wor");
    ASSERT_TRUE(run.ShowsSoon([](const TestScreen& s) { return Prompting(s, "hello wor"); }));
    // Ten bot lines more: each bot's number five on.
    const std::string above = run.Screen().RowAbove();
    const int seen = above.starts_with("ANN>") || above.starts_with("BOB>")
                         ? std::stoi(above.substr(above.rfind(' ') + 1))
                         : 0;
    const auto said = [](const TestScreen& s, const std::string& line) {
        const std::vector<std::string> rows = s.Rows();
        return std::find(rows.begin(), rows.end(), line) != rows.end();
    };
    const std::string last = " " + std::to_string(seen + 5);
    EXPECT_TRUE(run.ShowsSoon([&](const TestScreen& s) {
        return said(s, "ANN> Ann" + last) && said(s, "BOB> Bob" + last);
    }));
    EXPECT_TRUE(Prompting(run.Screen(), "hello wor")) << run.Screen().CursorRow();
    EXPECT_TRUE(run.Screen().RowAbove().starts_with("ANN> Ann") ||
                run.Screen().RowAbove().starts_with("BOB> Bob"));
    run.Type("ld\r");
    EXPECT_TRUE(run.ShowsSoon(
        [&](const TestScreen& s) { return said(s, "SAM> hello world") && Prompting(s); }));
}

TEST(InputLine, UpRecallsTheLineSentBefore) {
    TempFolder root;
    TerminalRun run(Arguments(root));
    ASSERT_TRUE(run.ShowsSoon([](const TestScreen& s) { return Prompting(s); }));
    run.Type("first line\r");
    ASSERT_TRUE(run.ShowsSoon([](const TestScreen& s) { return Prompting(s); }));
    run.Type("\x1b[A");
    EXPECT_TRUE(run.ShowsSoon([](const TestScreen& s) { return Prompting(s, "first line"); }));
}

// However the run ends, with a half-typed line or none, the terminal echoes
// and reads lines again afterwards.
TEST(InputLine, TheTerminalsModesComeBackWhateverEndsTheRun) {
    const struct {
        const char* keys;
        std::vector<int> statuses;
    } ends[] = {
        {"/quit\r", {0}},
        {"half\x03", {128 + SIGINT}},  // Ctrl-C: the conversation stops and is saved
        // Ctrl-\ at once after it: the program is ended by whichever signal comes last.
        {"half\x03\x1c", {128 + SIGINT, 128 + SIGQUIT}},
        {"\x04", {0}},  // Ctrl-D: input ends, the turns run out
    };
    for (const auto& end : ends) {
        TempFolder root;
        std::vector<std::string> arguments = Arguments(root);
        arguments.insert(arguments.begin(), {"--turns", "30"});
        TerminalRun run(arguments);
        ASSERT_TRUE(run.ShowsSoon([](const TestScreen& s) { return Prompting(s); }));
        run.Type(end.keys);
        const int status = run.ExitStatus();
        EXPECT_NE(std::find(end.statuses.begin(), end.statuses.end(), status), end.statuses.end())
            << end.keys << " ended with " << status;
        EXPECT_TRUE(run.ModesAsBefore()) << end.keys;
    }
}

}  // namespace
}  // namespace jabbery
