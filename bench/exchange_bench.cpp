// SPDX-License-Identifier: MIT
// What one exchange with a bot costs, against the bare cost of starting a
// shell: the run and the file work around it should add little to it.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/exchange.h"
#include "platform/run_hidden.h"

extern char** environ;

namespace {

// The command of the bench's answering bot, and the message it is sent.
constexpr const char* kAnswerCommand = "printf 'Hello\\r\\n' > chat.msg";
constexpr const char* kMessage = "Hi!";

// A folder of its own for one benchmark, removed afterwards; under $TMPDIR
// when set, so that the exchanges can run on a disk or in memory (a bot's
// `>` truncates the message file, which on ext4 waits for a disk write).
class BenchFolder {
  public:
    BenchFolder() {
        const char* root = std::getenv("TMPDIR");
        std::string pattern =
            std::string(root != nullptr && *root != '\0' ? root : "/tmp") + "/jabbery-bench-XXXXXX";
        // mkdtemp picks a name nobody else has and creates it.
        if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
    }
    ~BenchFolder() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    const std::string& Path() const { return m_path; }

    // A bot that lives in this folder and runs `command`.
    jabbery::BotProfile Bot(const char* name, const char* command) const {
        return jabbery::BotProfile{m_path + "/", name, command};
    }

  private:
    std::string m_path;
};

// The floor: start /bin/sh -c true and reap it, nothing else.
void BM_BareShellTrue(benchmark::State& state) {
    // posix_spawn takes non-const strings for historical reasons; it does not change them.
    char* const argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                          const_cast<char*>("true"), nullptr};
    for (auto _ : state) {
        pid_t pid = -1;
        if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("posix_spawn failed");
            break;
        }
        int status = 0;
        // Reap the shell, which is the end of one run.
        ::waitpid(pid, &status, 0);
    }
}
BENCHMARK(BM_BareShellTrue)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The same shell through RunHidden: hidden streams, own group, pidfd wait, group kill.
void BM_RunHiddenTrue(benchmark::State& state) {
    BenchFolder folder;
    const jabbery::RunLimits limits;
    for (auto _ : state) {
        const jabbery::RunResult result = jabbery::RunHidden("true", folder.Path(), limits);
        if (result.m_end != jabbery::RunEnd::kExited || result.m_code != 0) {
            state.SkipWithError("RunHidden did not run true");
            break;
        }
    }
}
BENCHMARK(BM_RunHiddenTrue)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The floor of an exchange: the work every exchange must do, by hand in the
// shortest way. The message file is written, the bot's command run in its
// folder through /bin/sh -c and reaped, the file read back and deleted; no limit, no
// hidden streams, no group, no checks.
void BM_ExchangeFloor(benchmark::State& state) {
    BenchFolder folder;
    const std::string message_file = folder.Path() + "/chat.msg";
    const std::string written = std::string("Bench\r\n") + kMessage + "\r\n";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The bot's command names its message file relative to its folder.
    posix_spawn_file_actions_addchdir_np(&actions, folder.Path().c_str());
    // glibc's child resets every caught signal before exec, asking about each
    // one first; naming them all as default spares it the asking.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all_signals;
    sigfillset(&all_signals);
    sigdelset(&all_signals, SIGKILL);
    sigdelset(&all_signals, SIGSTOP);
    posix_spawnattr_setsigdefault(&attributes, &all_signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    // posix_spawn takes non-const strings for historical reasons; it does not change them.
    char* const argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                          const_cast<char*>(kAnswerCommand), nullptr};
    char reply[64];
    for (auto _ : state) {
        const int out =
            ::open(message_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        const bool wrote = out >= 0 && ::write(out, written.data(), written.size()) ==
                                           static_cast<ssize_t>(written.size());
        if (out >= 0) ::close(out);
        pid_t pid = -1;
        if (!wrote || posix_spawn(&pid, "/bin/sh", &actions, &attributes, argv, environ) != 0) {
            state.SkipWithError("the message file could not be written or the shell started");
            break;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        const int in = ::open(message_file.c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t got = in >= 0 ? ::read(in, reply, sizeof reply) : -1;
        if (in >= 0) ::close(in);
        // Every exchange leaves the folder without the file; a file truncated
        // next time instead of created would also cost ext4 a flush on close.
        ::unlink(message_file.c_str());
        if (std::string(reply, static_cast<std::size_t>(std::max<ssize_t>(got, 0))) !=
            "Hello\r\n") {
            state.SkipWithError("the bot's reply did not come back");
            break;
        }
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_ExchangeFloor)->UseRealTime()->Unit(benchmark::kMicrosecond);

// A whole exchange with a bot that only answers: message file written, bot
// run, reply read, message file deleted. At most a little above the floor.
void BM_InvokeBotTrivial(benchmark::State& state) {
    BenchFolder folder;
    const jabbery::BotProfile bot = folder.Bot("Bench", kAnswerCommand);
    const jabbery::RunLimits limits;
    const jabbery::CPlainString message(kMessage);
    for (auto _ : state) {
        const jabbery::ExchangeResult result = jabbery::InvokeBot(bot, message, limits);
        if (result.m_reply.Str() != "Hello") {
            state.SkipWithError("the bot's reply did not come back");
            break;
        }
    }
}
BENCHMARK(BM_InvokeBotTrivial)->UseRealTime()->Unit(benchmark::kMicrosecond);

// An exchange with a bot that writes 100 MB to its standard error: the
// counter is how much the program's peak memory grew meanwhile (only the
// output's tail is kept, so it should stay near zero).
void BM_InvokeBotFloodingItsOutput(benchmark::State& state) {
    BenchFolder folder;
    const jabbery::BotProfile bot =
        folder.Bot("Flood", "head -c 100000000 /dev/zero >&2; printf 'done\\r\\n' > chat.msg");
    const jabbery::RunLimits limits;
    const auto peak_kib = [] {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return static_cast<double>(usage.ru_maxrss);
    };
    const double before = peak_kib();
    for (auto _ : state) {
        const jabbery::ExchangeResult result = jabbery::InvokeBot(bot, "Hi!", limits);
        if (result.m_outcome.m_outputTail.size() != jabbery::kOutputTailBytes) {
            state.SkipWithError("the output's tail was not kept");
            break;
        }
    }
    state.counters["peak_growth_KiB"] = peak_kib() - before;
}
BENCHMARK(BM_InvokeBotFloodingItsOutput)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
