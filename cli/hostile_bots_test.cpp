// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <regex>
#include <system_error>
#include <thread>

#include "cli/test_cli_run.h"
#include "engine/test_bots.h"
#include "platform/test_processes.h"

namespace jabbery {
namespace {

namespace fs = std::filesystem;
using namespace testing;

// A bot that tries something, then (where it still can) answers "x".
struct Hostile {
    const char* what;
    const char* command;
};

const Hostile kCatalogue[] = {
    {"NUL bytes", "printf 'a\\0b\\0c\\r\\n' > chat.msg"},
    {"invalid UTF-8", "printf '\\377\\376 bad \\300\\r\\n' > chat.msg"},
    {"C1 controls", "printf '\\302\\2352;T\\302\\234 \\302\\2332J\\r\\n' > chat.msg"},
    {"a lone backslash", "printf 'ends in \\\\\\r\\n' > chat.msg"},
    {"a 100 MB line", "head -c 100000000 /dev/zero | tr '\\0' y > chat.msg"},
    {"a FIFO", "rm chat.msg; mkfifo chat.msg"},
    {"a symbolic link out", "ln -sf ../outside/victim.txt chat.msg"},
    {"a folder", "rm chat.msg; mkdir chat.msg"},
    {"a folder with a file", "rm chat.msg; mkdir chat.msg; touch chat.msg/f"},
    {"a hard link out", "rm chat.msg; ln ../outside/victim.txt chat.msg"},
    {"a read-only folder", "printf 'x\\r\\n' > chat.msg; chmod 555 ."},
    {"its folder deleted", "rm -rf \"$PWD\""},
    {"children ignoring signals", "trap '' INT TERM HUP; sleep 600 & printf 'x\\r\\n' > chat.msg"},
    {"a double fork", "(sh -c 'sleep 600 &' &); printf 'x\\r\\n' > chat.msg"},
    // Nothing outlives a turn, however it leaves its session, group and
    // environment: each way is in RunHidden's tests, the hardest here.
    {"nested setsid", "setsid sh -c 'setsid env -i sleep 600 &' & printf 'x\\r\\n' > chat.msg"},
    {"jabbery-stdio with a command that drops its environment",
     JABBERY_STDIO " env -i sh -c 'sleep 600'"},
    {"flooding output", "head -c 50000000 /dev/zero; printf 'x\\r\\n' > chat.msg"},
    {"killed by a signal", "kill -9 $$"},
};

// True when a live process works in a folder under `root`: something a bot started.
bool ProcessLeftIn(const std::string& root) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::error_code error;
        const std::string cwd = fs::read_symlink(entry.path() / "cwd", error).string();
        if (!error && cwd.rfind(root + "/", 0) == 0 && ProcessIsLive(entry.path().filename())) {
            return true;
        }
    }
    return false;
}

// Each case: the run goes on to its last turn, leaves no process, changes
// nothing outside the bot's folder, and every saved line is one speaker's.
TEST(HostileBots, TheRunGoesOnAndNothingEscapes) {
    for (const Hostile& hostile : kCatalogue) {
        SCOPED_TRACE(hostile.what);
        TempFolder root;
        fs::create_directory(root.File("outside"));
        WriteFile(root.File("outside/victim.txt"), "mine\r\n");
        const std::string bad = MakeScriptBot(root, "bad", "Bad", hostile.command);
        const std::string echo =
            MakeScriptBot(root, "echo", "Echo", "printf 'echo reply\\r\\n' > chat.msg");
        const auto run = RunCli(root, {"--turns", "4", "--interval", "0", "--timeout", "2",
                                       "--save", root.File("t.txt"), bad, echo});
        EXPECT_EQ(run.m_status, 0) << run.m_err;
        EXPECT_TRUE(Eventually([&] { return !ProcessLeftIn(root.Path()); }));
        EXPECT_EQ(ReadFile(root.File("outside/victim.txt")), "mine\r\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(root.File("outside")), {}), 1);

        // A banner of three lines, two introductions, then four turns.
        const std::string saved = ReadFile(root.File("t.txt"));
        EXPECT_TRUE(std::regex_match(saved, std::regex("([^\n]*\n){5}((BAD|ECHO)> [^\n]*\n){4}")))
            << saved.substr(0, 2000);
        std::error_code gone;  // the folder, if still there, must be removable again
        fs::permissions(bad, fs::perms::owner_all, gone);
    }
}

// A bot cannot make itself the terminal's foreground group, so Ctrl-C at
// the terminal still reaches the runner and ends the run.
TEST(HostileBots, ABotCannotTakeTheTerminalFromCtrlC) {
    TempFolder root;
    const std::string grab = MakeScriptBot(root, "grab", "Grab", "python3 grab.py");
    WriteFile(grab + "/grab.py",
              "import os, signal, time\n"
              "for s in (signal.SIGTTOU, signal.SIGINT): signal.signal(s, signal.SIG_IGN)\n"
              "try: os.tcsetpgrp(os.open('/dev/tty', os.O_RDWR), os.getpgrp()); said = 'took it'\n"
              "except OSError as e: said = str(e)\n"
              "open('tried', 'w').write(said)\n"
              "time.sleep(600)\n");
    const std::string echo = MakeScriptBot(root, "echo", "Echo", "true");
    int terminal = -1;
    // The runner on a terminal of its own, as if typed at it; the master side is ours.
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(JABBERY_CLI, JABBERY_CLI, "--timeout", "60", "--interval", "0", grab.c_str(),
              echo.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::thread reader([&] {  // what the runner prints must not fill the terminal
        char buffer[256];
        while (read(terminal, buffer, sizeof buffer) > 0) {
        }
    });
    EXPECT_TRUE(Eventually([&] { return fs::exists(grab + "/tried"); }, 30));
    EXPECT_EQ(write(terminal, "\x03", 1), 1);
    const bool ended = Eventually([&] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 10);
    EXPECT_TRUE(ended) << "Ctrl-C did not end the run; the bot said: " << ReadFile(grab + "/tried");
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close(terminal);
    reader.join();
}

}  // namespace
}  // namespace jabbery
