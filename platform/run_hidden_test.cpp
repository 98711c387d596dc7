// SPDX-License-Identifier: MIT
#include "platform/run_hidden.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>

#include "platform/test_environment.h"
#include "platform/test_processes.h"
#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;
using testing::Eventually;
using testing::TempFolder;

// Generous bounds: a busy two-core machine must not make these tests fail.
constexpr milliseconds kShortLimit{1000};
constexpr milliseconds kAmpleLimit{60000};

// The pid a bot wrote into `path`, or 0.
pid_t ReadPid(const std::string& path) {
    return static_cast<pid_t>(std::atol(testing::ReadFile(path).c_str()));
}

// A pid of 0 or less would ask waitpid about whole groups of children.
bool IsReaped(pid_t pid) {
    return pid > 0 && ::waitpid(pid, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

std::set<std::string> OurDescriptors() {
    std::set<std::string> fds;
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) fds.insert(fd.path().filename());
    return fds;
}

TEST(RunHidden, ReportsHowTheCommandEndedOrWhyItDidNotStart) {
    TempFolder folder;
    testing::WriteFile(folder.File("plain"), "x");
    RunCanceller cancelled;
    cancelled.Cancel();
    RunHidden("true", folder.Path(), {});  // the keeper's socket stays for the program's life
    const std::set<std::string> descriptors = OurDescriptors();
    using Case = std::tuple<const char*, std::string, const RunCanceller*, RunEnd, std::uint32_t>;
    const Case cases[] = {
        // Were "-x" taken for a shell option, sh would exit 2 for want of a command.
        {"-x", folder.Path(), nullptr, RunEnd::kExited, 127},
        {"touch ran", folder.File("missing"), nullptr, RunEnd::kStartFailed, ENOENT},
        {"touch ran", folder.File("plain"), nullptr, RunEnd::kStartFailed, ENOTDIR},
        {"touch ran", folder.Path(), &cancelled, RunEnd::kCancelled, 0},
        // Not even a start is tried: no start failure either.
        {"touch ran", folder.File("missing"), &cancelled, RunEnd::kCancelled, 0},
    };
    for (const auto& [command, where, canceller, end, code] : cases) {
        const RunResult result = RunHidden(command, where, {kAmpleLimit, canceller});
        EXPECT_EQ(result.m_end, end) << command << " in " << where;
        EXPECT_EQ(result.m_code, code) << command << " in " << where;
    }
    EXPECT_FALSE(fs::exists(folder.File("ran"))) << "a failed start or a cancelled run ran";
    EXPECT_EQ(OurDescriptors(), descriptors);
}

// A bot starts in its folder with /dev/null for input, its output to a
// pipe that blocks as a pipe should (a non-blocking one would fail its
// writes whenever we are slow to read) and of which only the tail is kept,
// no other descriptor of ours, default signal dispositions with none
// blocked, and leading a process group of its own.
TEST(RunHidden, BotStartsInItsFolderHiddenWithNothingOfOursInherited) {
    TempFolder folder;
    // Opened without O_CLOEXEC, as careless code elsewhere in a program might.
    const int inheritable = ::open("/dev/null", O_RDONLY);
    ASSERT_EQ(::dup2(inheritable, 57), 57);
    const auto old_int = ::signal(SIGINT, SIG_IGN);
    const auto old_pipe = ::signal(SIGPIPE, SIG_IGN);
    sigset_t block, old_mask;
    sigemptyset(&block);
    sigaddset(&block, SIGUSR1);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &block, &old_mask), 0);
    RunCanceller canceller;
    // Descriptors are listed from a command substitution: a redirection such
    // as `> fds` changes them while a command runs.
    const RunResult result = RunHidden(
        "pwd > pwd; a=$(cd /proc/$$/fd && for fd in *; do echo \"$fd $(readlink $fd)\"; done); "
        "echo \"$a\" > fds; grep -E '^(SigBlk|SigIgn)' /proc/self/status > signals; "
        "echo $$ $(cut -d' ' -f5 /proc/$$/stat) > group; grep flags /proc/self/fdinfo/2 > flags; "
        "head -c 100000000 /dev/zero | tr '\\0' x >&2; echo LAST >&2; echo out",
        folder.Path(), {kAmpleLimit, &canceller});
    ::pthread_sigmask(SIG_SETMASK, &old_mask, nullptr);
    ::signal(SIGPIPE, old_pipe);
    ::signal(SIGINT, old_int);
    ::close(inheritable);
    ::close(57);
    ASSERT_EQ(result.m_code, 0u);

    EXPECT_EQ(testing::ReadFile(folder.File("pwd")), fs::canonical(folder.Path()).string() + "\n");
    EXPECT_EQ(result.m_outputTail.size(), kOutputTailBytes);
    EXPECT_TRUE(result.m_outputTail.ends_with("xLAST\nout\n"));
    std::istringstream flags(testing::ReadFile(folder.File("flags")).substr(6));
    unsigned octal_flags = 0;
    EXPECT_TRUE(flags >> std::oct >> octal_flags && (octal_flags & O_NONBLOCK) == 0) << octal_flags;
    std::istringstream group(testing::ReadFile(folder.File("group")));
    std::string pid, group_id;
    EXPECT_TRUE(group >> pid >> group_id && pid == group_id) << pid << " in group " << group_id;

    std::istringstream fd_lines(testing::ReadFile(folder.File("fds")));
    std::string fds, output_pipe;
    for (std::string fd, target; fd_lines >> fd >> target;) {
        // Output and error share the pipe we read; the command substitution's
        // own pipe is the only other one allowed.
        if (fd == "1") output_pipe = target;
        if (target.rfind("pipe:", 0) != 0 || fd == "1" || fd == "2") {
            fds += fd + " " + (target == output_pipe ? "output" : target) + "\n";
        }
    }
    EXPECT_EQ(output_pipe.rfind("pipe:", 0), 0u) << output_pipe;
    EXPECT_EQ(fds, "0 /dev/null\n1 output\n2 output\n");

    std::istringstream signal_lines(testing::ReadFile(folder.File("signals")));
    std::string blocked_label, ignored_label;
    unsigned long long blocked = ~0ull, ignored = ~0ull;
    signal_lines >> blocked_label >> std::hex >> blocked >> ignored_label >> ignored;
    ASSERT_EQ(blocked_label + ignored_label, "SigBlk:SigIgn:");
    EXPECT_EQ(blocked, 0u);
    // Signals 1 to 31 (bits 0 to 30); glibc leaves its internal 32 and 33 ignored.
    EXPECT_EQ(ignored & 0x7fffffffu, 0u) << std::hex << ignored;
}

// However a run ends, the shell is reaped, the child it left in the
// background is killed whatever it did to leave its group, session and
// environment (the marker included), no zombie stays with us, no
// descriptor stays open, and the next run is not slowed by it, however
// many it left. A program we start ourselves (as the window starts a
// browser) is left alone.
TEST(RunHidden, HoweverARunEndsNothingOfItIsLeftAndNothingElseEnds) {
    // What the bot does after leaving a child, limit, cancelled, and how the run ends.
    const std::tuple<const char*, milliseconds, bool, RunEnd, std::uint32_t> cases[] = {
        {"", kAmpleLimit, false, RunEnd::kExited, 0},
        {"; sleep 1000", kShortLimit, false, RunEnd::kTimedOut, 0},
        {"; sleep 1000", kAmpleLimit, true, RunEnd::kCancelled, 0},
        {"; kill -KILL $$", kAmpleLimit, false, RunEnd::kSignalled, 128 + SIGKILL},
    };
    // Each leaves a sleeper and writes its pid to `child` once it has left.
    const char* children[] = {
        "sleep 1000 & echo $! > child",
        "(setsid sh -c 'echo $$ > child; exec sleep 1000' &)",
        "setsid env -u JABBERY_EXCHANGE sh -c 'echo $$ > child; exec sleep 1000' &",
        "for i in 1 2 3 4 5 6 7 8 9 10; do (setsid sleep 1000 &); done; "
        "(env -i setsid sh -c 'echo $$ > child; exec sleep 1000' &)",
        "perl -e 'fork or do { setpgrp(0, 0); %ENV = (); "
        "exec \"/bin/sh\", \"-c\", \"echo \\$\\$ > child; exec sleep 1000\" }'",
        "setsid sh -c 'setsid env -i sh -c \"echo \\$\\$ > child; exec sleep 1000\" &' &",
    };
    // The keeper's socket stays for the program's life; from here on, orphans come to us.
    TempFolder mine;
    RunHidden("true", mine.Path(), {});
    const std::set<std::string> descriptors = OurDescriptors();
    ASSERT_EQ(std::system(("sleep 1000 & echo $! > " + mine.File("ours")).c_str()), 0);
    const pid_t ours = ReadPid(mine.File("ours"));
    ASSERT_GT(ours, 0);
    for (const char* start_child : children) {
        for (const auto& [tail, limit, cancel, end, code] : cases) {
            SCOPED_TRACE(std::string() + start_child + tail + (cancel ? " cancelled" : ""));
            TempFolder folder;
            RunCanceller canceller;
            std::thread user([&, cancel = cancel] {
                if (!cancel) return;  // cancelled once the bot surely runs
                Eventually([&] { return ReadPid(folder.File("child")) > 0; });
                canceller.Cancel();
            });
            const auto start = Clock::now();
            const RunResult result =
                RunHidden("echo $$ > pid; " + std::string(start_child) +
                              "\nwhile [ ! -s child ]; do sleep 0.01; done" + tail,
                          folder.Path(), RunLimits{limit, &canceller});
            const auto elapsed = Clock::now() - start;
            user.join();
            // At once, while what the bot left is still being ended.
            const auto next = Clock::now();
            RunHidden("true", folder.Path(), {});
            EXPECT_LT(Clock::now() - next, milliseconds(700)) << "a clean-up waited";

            EXPECT_EQ(result.m_end, end) << result.m_outputTail;
            EXPECT_EQ(result.m_code, code);
            EXPECT_LT(elapsed, kAmpleLimit / 2);
            const pid_t shell = ReadPid(folder.File("pid"));
            const pid_t child = ReadPid(folder.File("child"));
            ASSERT_TRUE(shell > 0 && child > 0) << "no pid written within the limit";
            EXPECT_TRUE(IsReaped(shell));
            EXPECT_TRUE(IsReaped(child)) << "a zombie of the bot stays with us";
            EXPECT_TRUE(Eventually([&] { return !testing::GroupHasLiveProcess(shell); }));
            EXPECT_TRUE(Eventually([&] { return !testing::ProcessIsLive(std::to_string(child)); }));
        }
    }
    EXPECT_EQ(OurDescriptors(), descriptors);
    EXPECT_TRUE(testing::ProcessIsLive(std::to_string(ours)));
    ::kill(ours, SIGKILL);
    ::waitpid(ours, nullptr, 0);  // ours by now (a subreaper), or init's
}

// A bot that kills the keeper, which would have ended what it left, still
// leaves nothing that carries its run's marker, even outside its session,
// and the next run has a keeper again.
TEST(RunHidden, WhatARunLeftEndsAlsoWhenTheRunKillsTheKeeper) {
    TempFolder folder;
    // In the shell, $PPID is the keeper.
    const RunResult result = RunHidden(
        "echo $$ > shell; sleep 1000 & echo $! > child; setsid sleep 1000 & echo $! > session; "
        "kill -KILL $PPID; exec sleep 1000",
        folder.Path(), {kAmpleLimit, nullptr});
    EXPECT_LT(result.m_elapsed, kAmpleLimit / 2);
    for (const char* name : {"shell", "child", "session"}) {
        const pid_t pid = ReadPid(folder.File(name));
        ASSERT_GT(pid, 0) << name;
        EXPECT_TRUE(Eventually([&] { return !testing::ProcessIsLive(std::to_string(pid)); }))
            << name << " outlived its run";
        ::kill(pid, SIGKILL);  // should it not have ended, the test leaves it not
    }
    const RunResult next = RunHidden("echo again", folder.Path(), {kAmpleLimit, nullptr});
    EXPECT_EQ(next.m_end, RunEnd::kExited);
    EXPECT_EQ(next.m_outputTail, "again\n");
}

// A bot that stops the keeper (SIGSTOP) is still stopped at its limit, and
// the next run has a keeper that runs.
TEST(RunHidden, ARunThatStopsTheKeeperEndsAtItsLimit) {
    TempFolder folder;
    const RunResult result =
        RunHidden("kill -STOP $PPID; exec sleep 1000", folder.Path(), {kShortLimit, nullptr});
    EXPECT_EQ(result.m_end, RunEnd::kTimedOut);
    EXPECT_LT(result.m_elapsed, kAmpleLimit / 2);
    const RunResult next = RunHidden("echo again", folder.Path(), {kAmpleLimit, nullptr});
    EXPECT_EQ(next.m_outputTail, "again\n");
}

// However large the environment (each variable within the system's 128 KiB),
// a bot is started with all of it, as a program started by hand would be.
TEST(RunHidden, PassesOnALargeEnvironmentWhole) {
    TempFolder folder;
    const std::string value(100000, 'x');
    const testing::ScopedVariable a("JABBERY_TEST_A", value), b("JABBERY_TEST_B", value),
        c("JABBERY_TEST_C", value);
    const RunResult result = RunHidden(
        "echo ${#JABBERY_TEST_A} ${#JABBERY_TEST_B} ${#JABBERY_TEST_C}", folder.Path(), {});
    EXPECT_EQ(result.m_end, RunEnd::kExited) << result.m_code;
    EXPECT_EQ(result.m_outputTail, "100000 100000 100000\n");
}

RunCanceller* g_signal_canceller = nullptr;

// WaitFor sleeps its time unless cancelled, from a thread or from a signal
// handler (Cancel is async-signal-safe and leaves errno as it was); once
// cancelled it stays so.
TEST(RunCanceller, WaitForEndsEarlyOnlyWhenCancelled) {
    RunCanceller canceller;
    auto start = Clock::now();
    EXPECT_FALSE(canceller.WaitFor(milliseconds(100)));
    EXPECT_GE(Clock::now() - start, milliseconds(100));
    std::thread user([&] {
        std::this_thread::sleep_for(milliseconds(100));
        canceller.Cancel();
    });
    start = Clock::now();
    EXPECT_TRUE(canceller.WaitFor(kAmpleLimit));
    EXPECT_LT(Clock::now() - start, kAmpleLimit / 2);
    user.join();
    RunCanceller by_signal;
    g_signal_canceller = &by_signal;
    struct sigaction on_signal {};
    on_signal.sa_handler = [](int) { g_signal_canceller->Cancel(); };
    struct sigaction old {};
    ASSERT_EQ(::sigaction(SIGUSR2, &on_signal, &old), 0);
    errno = EDOM;
    ::raise(SIGUSR2);
    EXPECT_EQ(errno, EDOM);
    ::sigaction(SIGUSR2, &old, nullptr);
    EXPECT_TRUE(by_signal.WaitFor(kAmpleLimit));
    by_signal.Cancel();
    EXPECT_TRUE(by_signal.IsCancelled());
}

}  // namespace
}  // namespace jabbery
