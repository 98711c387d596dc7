// SPDX-License-Identifier: MIT
#include "platform/kept_programs.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <filesystem>
#include <future>
#include <thread>

#include "platform/test_processes.h"
#include "platform/test_temp_folder.h"

namespace jabbery {
namespace {

using namespace testing;

// A kept program that notes its pid and starts a helper of its own in a
// session of its own (whose pid it notes too), then says each line back.
const std::vector<std::string> kEcho = {
    "sh", "-c", "echo $$ >> pids; setsid sleep 300 & echo $! > helper; exec cat"};

class KeptPrograms : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(m_root.File("run"));
        for (const char* bot : {"a", "b"}) std::filesystem::create_directory(m_root.File(bot));
    }
    void StartHost(std::chrono::milliseconds idle) {
        std::string error;
        ASSERT_TRUE(m_host.Start(m_socket, idle, {}, error)) << error;
    }
    KeptProgram Ask(const std::string& bot) {
        return AskToKeep(m_socket, "test", kEcho, m_root.File(bot));
    }
    // Sends `line` to the program and reads what it says back.
    static std::string Echo(const KeptProgram& kept, const std::string& line) {
        ::send(kept.m_connection.Get(), (line + "\n").data(), line.size() + 1, MSG_NOSIGNAL);
        char answer[256] = {};
        const ssize_t got = ::recv(kept.m_connection.Get(), answer, sizeof answer - 1, 0);
        return got > 0 ? std::string(answer, static_cast<std::size_t>(got)) : "";
    }
    // Stops the host; false when that waits longer than ample (the host is then killed).
    bool StopsInTime() {
        const pid_t host = m_host.Host();
        auto stopping = std::async(std::launch::async, [this] { m_host.Stop(); });
        if (stopping.wait_for(std::chrono::seconds(30)) == std::future_status::ready) return true;
        ::kill(host, SIGKILL);  // so that the test itself ends
        return false;
    }
    std::string Pid(const std::string& bot, const std::string& file) {
        return TrimmedFile(m_root.File(bot + "/" + file));
    }

    TempFolder m_root;
    std::string m_socket = m_root.File("run/keep");
    KeepHost m_host;
};

// One start each: the program in "a" answers both connections. Stopping the
// host ends the programs with what they started.
TEST_F(KeptPrograms, KeepOneProgramForEachBotFolderUntilTheHostStops) {
    StartHost(std::chrono::seconds(60));
    const KeptProgram first = Ask("a");
    ASSERT_TRUE(first.m_connection.IsOpen()) << first.m_error;
    EXPECT_EQ(first.m_start, KeptStart::kStarted);
    EXPECT_EQ(Echo(first, "one"), "one\n");
    const KeptProgram again = Ask("a");
    EXPECT_EQ(again.m_start, KeptStart::kRunning);
    EXPECT_EQ(Echo(again, "two"), "two\n");
    EXPECT_EQ(Ask("b").m_start, KeptStart::kStarted);
    ASSERT_TRUE(
        Eventually([&] { return !Pid("b", "pids").empty() && !Pid("a", "helper").empty(); }));
    const std::string program = Pid("a", "pids");
    const std::string helper = Pid("a", "helper");
    EXPECT_EQ(program.find('\n'), std::string::npos);
    EXPECT_TRUE(ProcessIsLive(program));
    m_host.Stop();
    EXPECT_TRUE(Eventually([&] { return !ProcessIsLive(program) && !ProcessIsLive(helper); }));
    EXPECT_FALSE(std::filesystem::exists(m_root.File("run"))) << "the host removes its folder";
}

TEST_F(KeptPrograms, EndWhenUnusedForTheIdleTime) {
    StartHost(std::chrono::milliseconds(200));
    ASSERT_TRUE(Ask("a").m_connection.IsOpen());
    ASSERT_TRUE(Eventually([&] { return !Pid("a", "helper").empty(); }));
    const std::string program = Pid("a", "pids");
    const std::string helper = Pid("a", "helper");
    EXPECT_TRUE(Eventually([&] { return !ProcessIsLive(program) && !ProcessIsLive(helper); }));
    EXPECT_EQ(Ask("a").m_start, KeptStart::kRestarted);
}

// A kept program that stops the host (SIGSTOP), once or from outside its
// group again whenever it is woken, does not keep Stop waiting, and leaves
// nothing running.
TEST_F(KeptPrograms, StopEndsAHostThatAProgramStopped) {
    for (const std::string stop :
         {"kill -STOP $PPID;",
          "setsid sh -c \"while :; do kill -STOP $PPID; done\" 2>&- & echo $! > helper;"}) {
        SCOPED_TRACE(stop);
        std::filesystem::create_directories(m_root.File("run"));
        StartHost(std::chrono::seconds(60));
        const KeptProgram kept =
            AskToKeep(m_socket, "test", {"sh", "-c", "read line; " + stop + " echo $line; cat"},
                      m_root.File("a"));
        ASSERT_TRUE(kept.m_connection.IsOpen()) << kept.m_error;
        EXPECT_EQ(Echo(kept, "stop"), "stop\n");
        // The stop is sent before the answer, but may take effect a moment later.
        EXPECT_TRUE(Eventually([&] {
            char state = 0;
            long group = 0;
            return ProcessState(std::to_string(m_host.Host()), state, group) && state == 'T';
        }));
        EXPECT_TRUE(StopsInTime());
        const std::string helper = Pid("a", "helper");
        EXPECT_TRUE(Eventually([&] { return helper.empty() || !ProcessIsLive(helper); }));
        if (!helper.empty()) ::kill(std::stoi(helper), SIGKILL);  // should it be left, not by us
    }
}

// Under a low limit of open descriptors, most of them taken, the host
// still keeps programs, and ends.
TEST_F(KeptPrograms, ServeUnderALowDescriptorLimitMostlyTaken) {
    rlimit limits{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limits), 0);
    rlimit low = limits;
    low.rlim_cur = 16;  // the host inherits it
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    {
        std::vector<UniqueFd> taken;  // up to 12; the host's own come above
        while (taken.empty() || taken.back().Get() < 12) {
            taken.emplace_back(::open("/dev/null", O_RDONLY | O_CLOEXEC));
            ASSERT_TRUE(taken.back().IsOpen());
        }
        StartHost(std::chrono::seconds(60));
    }
    ::setrlimit(RLIMIT_NOFILE, &limits);
    EXPECT_EQ(Echo(Ask("a"), "low"), "low\n");
    EXPECT_TRUE(StopsInTime());
}

TEST_F(KeptPrograms, SayWhyAProgramCannotBeKept) {
    StartHost(std::chrono::seconds(60));
    const KeptProgram missing =
        AskToKeep(m_socket, "test", {"no-such-program-here"}, m_root.File("a"));
    EXPECT_FALSE(missing.m_connection.IsOpen());
    EXPECT_NE(missing.m_error.find("cannot run no-such-program-here"), std::string::npos)
        << missing.m_error;
    EXPECT_NE(AskToKeep(m_root.File("none"), "test", kEcho).m_error, "");
}

}  // namespace
}  // namespace jabbery
