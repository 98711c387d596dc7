#include "platform/run_hidden.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/test_processes.h"
#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Clock = std::chrono::steady_clock;
using testing::Eventually;
using testing::GroupHasLiveProcess;
using testing::ProcessIsLive;
using testing::TempFolder;

// Generous bounds: a busy two-core machine must not make these tests fail.
constexpr milliseconds kShortLimit{300};
constexpr milliseconds kAmpleLimit{60000};
constexpr auto kPatience = seconds(10);

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

// Our own child is reaped: waitpid finds no child of that pid.
bool IsReaped(pid_t pid) {
    int status = 0;
    // A pid of 0 or less would ask about whole groups of children.
    return pid > 0 && ::waitpid(pid, &status, WNOHANG) == -1 && errno == ECHILD;
}

using Runner = RunResult (*)(const std::string&, const std::string&, const RunLimits&);

// Every case runs twice: waiting on a pidfd, and by polling as on old kernels.
class RunHidden : public ::testing::TestWithParam<Runner> {
  protected:
    RunResult Run(const std::string& command, milliseconds limit = kAmpleLimit,
                  const RunCanceller* canceller = nullptr) {
        RunLimits limits;
        limits.m_limit = limit;
        limits.m_canceller = canceller;
        return GetParam()(command, m_folder.Path(), limits);
    }
    std::string Read(const std::string& name) { return ReadWholeFile(m_folder.File(name)); }
    // The pid a bot wrote into `name`, or -1 when it wrote none.
    pid_t ReadPid(const std::string& name) {
        std::istringstream text(Read(name));
        long pid = -1;
        return text >> pid ? static_cast<pid_t>(pid) : -1;
    }

    TempFolder m_folder;
};

TEST_P(RunHidden, ReturnsTheExitStatusOfTheCommand) {
    const RunResult success = Run("true");
    EXPECT_EQ(success.m_end, RunEnd::kExited);
    EXPECT_EQ(success.m_code, 0u);

    const RunResult failure = Run("exit 7");
    EXPECT_EQ(failure.m_end, RunEnd::kExited);
    EXPECT_EQ(failure.m_code, 7u);
}

TEST_P(RunHidden, RunsInTheWorkingFolder) {
    ASSERT_EQ(Run("pwd > out").m_code, 0u);
    EXPECT_EQ(Read("out"), std::filesystem::canonical(m_folder.Path()).string() + "\n");
}

TEST_P(RunHidden, FolderNameIsNeverPastedIntoShellText) {
    const std::string folder = m_folder.File("a b'\"$(touch pwned)`touch pwned2`");
    std::filesystem::create_directory(folder);
    RunLimits limits;
    const RunResult result = GetParam()("pwd > out", folder, limits);
    EXPECT_EQ(result.m_end, RunEnd::kExited);
    EXPECT_EQ(ReadWholeFile(folder + "/out"), folder + "\n");
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("pwned")));
    EXPECT_FALSE(std::filesystem::exists(folder + "/pwned"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/pwned2"));
}

TEST_P(RunHidden, CommandLineIsNeverTakenForShellOptions) {
    // Were "-x" read as an option, sh would complain of a missing command (exit 2);
    // as a command it is not found (exit 127).
    const RunResult result = Run("-x");
    EXPECT_EQ(result.m_end, RunEnd::kExited);
    EXPECT_EQ(result.m_code, 127u);
}

// The shell's own descriptors are looked at through a command substitution,
// because a redirection such as `> out` may change them while a command runs.
TEST_P(RunHidden, StandardStreamsAreDevNull) {
    ASSERT_EQ(
        Run("a=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2); echo \"$a\" > out").m_code,
        0u);
    EXPECT_EQ(Read("out"), "/dev/null\n/dev/null\n/dev/null\n");
}

TEST_P(RunHidden, BotWritingMegabytesToItsOutputDoesNotBlock) {
    // Into a pipe that nobody reads, this would stall after 64 KiB until the limit.
    const RunResult result =
        Run("head -c 8000000 /dev/zero; head -c 8000000 /dev/zero >&2; echo done > out");
    EXPECT_EQ(result.m_end, RunEnd::kExited);
    EXPECT_EQ(result.m_code, 0u);
    EXPECT_EQ(Read("out"), "done\n");
}

TEST_P(RunHidden, NoDescriptorOfOursLeaksIntoTheBot) {
    // Opened without O_CLOEXEC, as careless code elsewhere in a program might.
    const int inheritable = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(inheritable, 0);
    const int high = ::dup2(inheritable, 57);
    ASSERT_EQ(high, 57);
    RunCanceller canceller;

    // One line "<fd> <target>" per descriptor the shell holds.
    const RunResult result =
        Run("a=$(cd /proc/$$/fd && for fd in *; do echo \"$fd $(readlink $fd)\"; done); "
            "echo \"$a\" > out",
            kAmpleLimit, &canceller);
    ::close(inheritable);
    ::close(high);
    ASSERT_EQ(result.m_code, 0u);

    std::istringstream lines(Read("out"));
    std::set<std::string> others;
    int standard = 0;
    for (std::string fd, target; lines >> fd >> target;) {
        if (fd == "0" || fd == "1" || fd == "2") {
            EXPECT_EQ(target, "/dev/null") << fd;
            ++standard;
        } else if (target.rfind("pipe:", 0) != 0) {
            // The only other one allowed is the pipe of the command substitution itself.
            others.insert(fd + " " + target);
        }
    }
    EXPECT_EQ(standard, 3);
    EXPECT_TRUE(others.empty()) << *others.begin();
}

TEST_P(RunHidden, BotLeadsAProcessGroupOfItsOwn) {
    // The group of the shell, as the kernel saw it, was written while it ran.
    ASSERT_EQ(Run("cut -d' ' -f5 /proc/$$/stat > group; echo $$ > pid").m_code, 0u);
    std::istringstream group_text(Read("group"));
    pid_t group = -1;
    group_text >> group;
    EXPECT_EQ(group, ReadPid("pid"));
    EXPECT_NE(group, ::getpgrp());
}

TEST_P(RunHidden, BotStartsWithDefaultSignalsAndNoneBlocked) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction old_int {};
    struct sigaction old_pipe {};
    ASSERT_EQ(::sigaction(SIGINT, &ignore, &old_int), 0);
    ASSERT_EQ(::sigaction(SIGPIPE, &ignore, &old_pipe), 0);
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGUSR1);
    sigset_t old_mask;
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &block, &old_mask), 0);

    // What a bot program sees of its own signals.
    const RunResult result = Run("grep -E '^(SigBlk|SigIgn)' /proc/self/status > out");

    ::pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
    ::sigaction(SIGPIPE, &old_pipe, nullptr);
    ::sigaction(SIGINT, &old_int, nullptr);
    ASSERT_EQ(result.m_code, 0u);

    std::istringstream lines(Read("out"));
    std::string blocked_label, ignored_label;
    unsigned long long blocked = ~0ull, ignored = ~0ull;
    lines >> blocked_label >> std::hex >> blocked >> ignored_label >> ignored;
    ASSERT_EQ(blocked_label, "SigBlk:");
    ASSERT_EQ(ignored_label, "SigIgn:");
    EXPECT_EQ(blocked, 0u);
    // Signals 1 to 31 (bits 0 to 30); glibc leaves its internal 32 and 33 ignored.
    EXPECT_EQ(ignored & 0x7fffffffu, 0u) << std::hex << ignored;
}

TEST_P(RunHidden, HangingBotTimesOutAndItsWholeGroupIsKilled) {
    const auto start = Clock::now();
    const RunResult result =
        Run("echo $$ > pid; sleep 1000 & echo $! > child; sleep 1000", kShortLimit);
    const auto elapsed = Clock::now() - start;

    EXPECT_EQ(result.m_end, RunEnd::kTimedOut);
    EXPECT_EQ(result.m_code, 0u);
    EXPECT_LT(elapsed, kPatience);
    const pid_t shell = ReadPid("pid");
    ASSERT_GT(shell, 0) << "the bot did not get to write its pid within the limit";
    EXPECT_TRUE(IsReaped(shell));
    EXPECT_TRUE(Eventually([&] { return !GroupHasLiveProcess(shell); }));
    EXPECT_TRUE(Eventually([&] { return !ProcessIsLive(Read("child")); }));
}

TEST_P(RunHidden, ChildLeftInTheBackgroundIsKilledWhenTheBotEnds) {
    const RunResult result = Run("echo $$ > pid; sleep 1000 & echo $! > child");
    EXPECT_EQ(result.m_end, RunEnd::kExited);
    EXPECT_EQ(result.m_code, 0u);
    const std::string child = Read("child");
    ASSERT_FALSE(Words(child).empty());
    const pid_t shell = ReadPid("pid");
    ASSERT_GT(shell, 0);
    EXPECT_TRUE(Eventually([&] { return !ProcessIsLive(child); }));
    EXPECT_TRUE(Eventually([&] { return !GroupHasLiveProcess(shell); }));
}

TEST_P(RunHidden, CancelFromAnotherThreadStopsAHangingBotAtOnce) {
    RunCanceller canceller;
    std::thread user([&] {
        // Cancel once the bot is surely running, not before it started.
        Eventually([&] { return std::filesystem::exists(m_folder.File("pid")); });
        canceller.Cancel();
    });
    const auto start = Clock::now();
    const RunResult result =
        Run("sleep 1000 & echo $$ > pid.tmp; mv pid.tmp pid; sleep 1000", kAmpleLimit, &canceller);
    const auto elapsed = Clock::now() - start;
    user.join();

    EXPECT_EQ(result.m_end, RunEnd::kCancelled);
    EXPECT_EQ(result.m_code, 0u);
    EXPECT_LT(elapsed, kAmpleLimit / 2);
    const pid_t shell = ReadPid("pid");
    ASSERT_GT(shell, 0);
    EXPECT_TRUE(IsReaped(shell));
    EXPECT_TRUE(Eventually([&] { return !GroupHasLiveProcess(shell); }));
}

TEST_P(RunHidden, AlreadyCancelledStartsNothing) {
    RunCanceller canceller;
    canceller.Cancel();
    const RunResult result = Run("touch ran", kAmpleLimit, &canceller);
    EXPECT_EQ(result.m_end, RunEnd::kCancelled);
    EXPECT_EQ(result.m_code, 0u);
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("ran")));
}

TEST_P(RunHidden, CommandThatDoesNotExistGivesTheShellsCode127) {
    const RunResult result = Run("no-such-command-for-jabbery");
    EXPECT_EQ(result.m_end, RunEnd::kExited);
    EXPECT_EQ(result.m_code, 127u);
}

TEST_P(RunHidden, MissingWorkingFolderIsAStartFailureWithEnoent) {
    RunLimits limits;
    const RunResult result = GetParam()("touch ran", m_folder.File("missing"), limits);
    EXPECT_EQ(result.m_end, RunEnd::kStartFailed);
    EXPECT_EQ(result.m_code, static_cast<std::uint32_t>(ENOENT));
    EXPECT_FALSE(std::filesystem::exists(m_folder.File("ran")));
}

TEST_P(RunHidden, WorkingFolderThatIsAFileIsAStartFailure) {
    std::ofstream(m_folder.File("plain")) << "x";
    RunLimits limits;
    const RunResult result = GetParam()("true", m_folder.File("plain"), limits);
    EXPECT_EQ(result.m_end, RunEnd::kStartFailed);
    EXPECT_EQ(result.m_code, static_cast<std::uint32_t>(ENOTDIR));
}

TEST_P(RunHidden, BotKilledByASignalGives128PlusTheSignal) {
    const RunResult result = Run("echo $$ > pid; kill -TERM $$");
    EXPECT_EQ(result.m_end, RunEnd::kSignalled);
    EXPECT_EQ(result.m_code, 128u + SIGTERM);
    EXPECT_TRUE(IsReaped(ReadPid("pid")));
}

TEST_P(RunHidden, LeavesNoZombieHoweverTheRunEnds) {
    RunCanceller canceller;
    std::thread user([&] {
        Eventually([&] { return std::filesystem::exists(m_folder.File("pid4")); });
        canceller.Cancel();
    });
    Run("echo $$ > pid1");
    Run("echo $$ > pid2; kill -KILL $$");
    Run("echo $$ > pid3; sleep 1000", kShortLimit);
    Run("echo $$ > pid4.tmp; mv pid4.tmp pid4; sleep 1000", kAmpleLimit, &canceller);
    user.join();
    for (const char* name : {"pid1", "pid2", "pid3", "pid4"}) {
        EXPECT_TRUE(IsReaped(ReadPid(name))) << name;
    }
}

// The descriptors this process holds, as the kernel lists them.
std::set<std::string> OurDescriptors() {
    std::set<std::string> fds;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        fds.insert(entry.path().filename());
    }
    return fds;
}

TEST_P(RunHidden, LeavesNoDescriptorOpenHoweverTheRunEnds) {
    const std::set<std::string> before = OurDescriptors();
    {
        RunCanceller canceller;
        std::thread user([&] {
            Eventually([&] { return std::filesystem::exists(m_folder.File("pid")); });
            canceller.Cancel();
        });
        Run("true");
        Run("sleep 1000", kShortLimit);
        Run("echo $$ > pid.tmp; mv pid.tmp pid; sleep 1000", kAmpleLimit, &canceller);
        Run("true", kAmpleLimit, &canceller);
        RunLimits limits;
        GetParam()("true", m_folder.File("missing"), limits);
        user.join();
    }
    EXPECT_EQ(OurDescriptors(), before);
}

INSTANTIATE_TEST_SUITE_P(RunHiddenBy, RunHidden,
                         ::testing::Values(&jabbery::RunHidden, &detail::RunHiddenPolling),
                         [](const ::testing::TestParamInfo<Runner>& info) {
                             return info.param == &jabbery::RunHidden ? "Pidfd" : "Polling";
                         });

TEST(RunCanceller, StartsUncancelledAndStaysCancelled) {
    RunCanceller canceller;
    EXPECT_FALSE(canceller.IsCancelled());
    EXPECT_GE(canceller.EventDescriptor(), 0);
    canceller.Cancel();
    EXPECT_TRUE(canceller.IsCancelled());
    canceller.Cancel();
    EXPECT_TRUE(canceller.IsCancelled());
    EXPECT_TRUE(canceller.WaitFor(kAmpleLimit));
}

TEST(RunCanceller, WaitForReturnsFalseAfterTheDuration) {
    RunCanceller canceller;
    const auto start = Clock::now();
    EXPECT_FALSE(canceller.WaitFor(milliseconds(100)));
    EXPECT_GE(Clock::now() - start, milliseconds(100));
}

TEST(RunCanceller, WaitForReturnsTrueEarlyWhenCancelledFromAnotherThread) {
    RunCanceller canceller;
    std::thread user([&] {
        std::this_thread::sleep_for(milliseconds(100));
        canceller.Cancel();
    });
    const auto start = Clock::now();
    EXPECT_TRUE(canceller.WaitFor(kAmpleLimit));
    EXPECT_LT(Clock::now() - start, kAmpleLimit / 2);
    user.join();
}

RunCanceller* g_signal_canceller = nullptr;

TEST(RunCanceller, CancelWorksFromASignalHandler) {
    RunCanceller canceller;
    g_signal_canceller = &canceller;
    struct sigaction on_signal {};
    on_signal.sa_handler = [](int) { g_signal_canceller->Cancel(); };
    struct sigaction old {};
    ASSERT_EQ(::sigaction(SIGUSR2, &on_signal, &old), 0);
    errno = EDOM;
    ::raise(SIGUSR2);
    const int errno_after = errno;
    ::sigaction(SIGUSR2, &old, nullptr);
    g_signal_canceller = nullptr;
    EXPECT_EQ(errno_after, EDOM);
    EXPECT_TRUE(canceller.IsCancelled());
    EXPECT_TRUE(canceller.WaitFor(kAmpleLimit));
}

}  // namespace
}  // namespace jabbery
