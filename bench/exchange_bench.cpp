// SPDX-License-Identifier: MIT
// What one exchange with a bot costs, against the bare cost of starting a
// shell: the run and the file work around it should add little to it.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "engine/exchange.h"
#include "platform/run_hidden.h"

extern char** environ;

namespace {

// A folder of its own for one benchmark, removed afterwards.
class BenchFolder {
  public:
    BenchFolder() {
        std::string pattern = "/tmp/jabbery-bench-XXXXXX";
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

// A whole exchange with a bot that only answers: message file written, bot
// run, reply read, message file deleted.
void BM_InvokeBotTrivial(benchmark::State& state) {
    BenchFolder folder;
    const jabbery::BotProfile bot = folder.Bot("Bench", "printf 'Hello\\r\\n' > chat.msg");
    const jabbery::RunLimits limits;
    const jabbery::CPlainString message("Hi!");
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
