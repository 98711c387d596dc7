#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "cli/test_cli_run.h"
#include "engine/test_bots.h"
#include "platform/test_processes.h"

namespace jabbery {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempFolder;

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
    {"setsid", "setsid sleep 600 & printf 'x\\r\\n' > chat.msg"},
    {"setsid, forked off", "setsid -f sh -c 'sleep 600'; printf 'x\\r\\n' > chat.msg"},
    {"flooding output", "head -c 50000000 /dev/zero; printf 'x\\r\\n' > chat.msg"},
    {"killed by a signal", "kill -9 $$"},
    {"a missing command", "./no-such-program"},
    {"no answer in time", "sleep 600"},
};

// True when a live process works in a folder under `root`: something a bot started.
bool ProcessLeftIn(const std::string& root) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::error_code error;
        const std::string cwd = fs::read_symlink(entry.path() / "cwd", error).string();
        if (!error && cwd.rfind(root + "/", 0) == 0 &&
            testing::ProcessIsLive(entry.path().filename())) {
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
        testing::WriteFile(root.File("outside/victim.txt"), "mine\r\n");
        const std::string bad = testing::MakeScriptBot(root, "bad", "Bad", hostile.command);
        const std::string echo =
            testing::MakeScriptBot(root, "echo", "Echo", "printf 'echo reply\\r\\n' > chat.msg");
        const testing::CliOutcome run =
            testing::RunCli(root, {"--turns", "4", "--interval", "0", "--timeout", "2", "--save",
                                   root.File("t.txt"), bad, echo});
        EXPECT_EQ(run.m_status, 0) << run.m_err;
        EXPECT_TRUE(testing::Eventually([&] { return !ProcessLeftIn(root.Path()); }));
        EXPECT_EQ(ReadFile(root.File("outside/victim.txt")), "mine\r\n");
        EXPECT_EQ(std::distance(fs::directory_iterator(root.File("outside")), {}), 1);

        const std::string saved = ReadFile(root.File("t.txt"));
        std::size_t turns = 0;
        for (std::size_t at = 0, end; (end = saved.find("\r\n", at)) != std::string::npos;
             at = end + 2) {
            const std::string line = saved.substr(at, end - at);
            if (line.rfind("BAD> ", 0) == 0 || line.rfind("ECHO> ", 0) == 0) ++turns;
        }
        EXPECT_EQ(turns, 4u) << saved.substr(0, 2000);
        EXPECT_EQ(testing::CountLines(saved), 3u + 2u + 4u);
        std::error_code gone;  // the folder, if still there, must be removable again
        fs::permissions(bad, fs::perms::owner_all, gone);
    }
}

}  // namespace
}  // namespace jabbery
