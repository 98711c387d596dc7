// SPDX-License-Identifier: MIT
// What a bot is told of its conversation, and the programs it keeps
// between turns, seen from outside: real runs of jabbery-cli.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/test_cli_run.h"
#include "engine/test_bots.h"
#include "platform/test_environment.h"

namespace jabbery {
namespace {

using namespace testing;

// The lines of `text`.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// A conversation's runtime folders go in a folder of the test's own.
class BotEnvironment : public ::testing::Test {
  protected:
    // A bot command runs ../note.sh to note what it was told in ../told.
    void SetUp() override {
        WriteFile(m_root.File("note.sh"),
                  "echo \"$JABBERY_CONVERSATION|$JABBERY_TURN|$JABBERY_FROM|$JABBERY_PARTICIPANTS|"
                  "$(grep -c '\"turn\"' \"$JABBERY_LOG\")\" >> ../told\n");
    }
    bool RuntimeFoldersLeft() const {
        return std::filesystem::exists(m_runtime) &&
               !std::filesystem::is_empty(m_runtime + "/jabbery");
    }

    TempFolder m_root;
    std::string m_runtime = m_root.File("runtime");
    bool m_made = std::filesystem::create_directory(m_runtime);
    ScopedVariable m_variable{"XDG_RUNTIME_DIR", m_runtime};
};

TEST_F(BotEnvironment, EachExchangeIsToldItsTurnSpeakersAndTheLogSoFar) {
    const std::string ada =
        MakeScriptBot(m_root, "ada", "Ada", "sh ../note.sh; " + RecordAndAnswer("from ada"));
    const std::string bo =
        MakeScriptBot(m_root, "bo", "bo", "sh ../note.sh; " + RecordAndAnswer("from bo"));
    const std::string log = m_root.File("log.jsonl");
    const CliOutcome run = RunCli(
        m_root, {"--turns", "3", "--interval", "0", "--order", "list", "--jsonl", log, ada, bo});
    ASSERT_EQ(run.m_status, 0) << run.m_err;
    const std::string id = nlohmann::json::parse(Lines(ReadFile(log)).at(0))["conversation"];
    EXPECT_EQ(Lines(ReadFile(m_root.File("told"))),
              (std::vector<std::string>{id + "|1||Ada\tbo|0", id + "|2|Ada|Ada\tbo|1",
                                        id + "|3|bo|Ada\tbo|2"}));
    EXPECT_FALSE(RuntimeFoldersLeft());
    // Going on from the log, the bots' log holds what was said before.
    std::filesystem::remove(m_root.File("told"));
    ASSERT_EQ(RunCli(m_root, {"--continue", log, "--turns", "1", "--interval", "0"}).m_status, 0);
    EXPECT_EQ(ReadFile(m_root.File("told")), id + "|4|Ada|Ada\tbo|3\n");
}

TEST_F(BotEnvironment, TryTellsABotItIsTheFirstTurnOfItsOwnConversation) {
    const std::string ada =
        MakeScriptBot(m_root, "ada", "Ada", "sh ../note.sh; " + RecordAndAnswer("hello"));
    ASSERT_EQ(RunCli(m_root, {"--try", ada}).m_status, 0);
    const std::string told = TrimmedFile(m_root.File("told"));
    EXPECT_EQ(told.substr(told.find('|')), "|1||Ada|0") << told;
    EXPECT_FALSE(RuntimeFoldersLeft());
}

// Without a runtime folder the conversation goes on with one warning that
// says what the bots go without, and no other.
TEST_F(BotEnvironment, WithoutARuntimeFolderOneWarningSaysWhatTheBotsLack) {
    const ScopedVariable missing("XDG_RUNTIME_DIR", m_root.File("missing"));
    const std::string ada = MakeScriptBot(m_root, "ada", "Ada", "printf 'hi\\n' > chat.msg");
    const std::string bo = MakeScriptBot(m_root, "bo", "Bo", "printf 'hi\\n' > chat.msg");
    const CliOutcome run = RunCli(m_root, {"--turns", "2", "--interval", "0", ada, bo});
    EXPECT_EQ(run.m_status, 0);
    const std::vector<std::string> said = Lines(run.m_err);
    ASSERT_EQ(said.size(), 2u) << run.m_err;  // the warning, then how the conversation ended
    EXPECT_NE(said[0].find("the bots are not given the conversation's log"), std::string::npos);
}

// An interactive program of our own: a banner and a prompt, then the
// count of the lines it has seen; it notes its pid when it starts.
constexpr const char* kCounter =
    "echo $$ >> ../counter.pids\n"
    "echo 'Counter 1.0 - Interactive Mode'\n"
    "echo 'Type a line.'\n"
    "printf '> '\n"
    "n=0\n"
    "while IFS= read -r line; do n=$((n + 1)); echo \"line $n: $line\"; printf '> '; done\n";

class KeptCounter : public BotEnvironment {
  protected:
    void SetUp() override {
        BotEnvironment::SetUp();
        WriteFile(m_root.File("counter.sh"), kCounter);
        m_counter = MakeScriptBot(
            m_root, "counter", "Counter",
            Quote(JABBERY_STDIO) + " --keep --skip-until '^> ' --prompt '^> ' sh ../counter.sh");
        // The other bot leaves a program behind in every turn, which must not last.
        m_other = MakeScriptBot(m_root, "other", "Other",
                                "sleep 300 & echo $! >> ../left.pids; " + RecordAndAnswer("ok"));
    }
    // The counter's answers in the printed conversation.
    std::vector<std::string> CounterLines(const std::string& out) const {
        std::vector<std::string> said;
        for (const std::string& line : Lines(out)) {
            if (line.find("line ") != std::string::npos)
                said.push_back(line.substr(line.find("line ")));
        }
        return said;
    }
    std::vector<std::string> Pids(const std::string& file) const {
        return Lines(ReadFile(m_root.File(file)));
    }
    bool AnyLive() const {
        for (const char* file : {"counter.pids", "left.pids"}) {
            for (const std::string& pid : Pids(file)) {
                if (ProcessIsLive(pid)) return true;
            }
        }
        return false;
    }

    std::string m_counter;
    std::string m_other;
};

// The second conversation's turns come further apart than the idle time.
TEST_F(KeptCounter, RemembersAcrossTurnsUntilIdleOrTheConversationEnds) {
    const std::vector<std::string> runs[] = {{"--turns", "5", "--interval", "0"},
                                             {"--turns", "3", "--interval", "2500", "--idle", "1"}};
    const std::vector<std::string> said[] = {{"line 1: Hi!", "line 2: ok", "line 3: ok"},
                                             {"line 1: Hi!", "line 1: ok"}};
    for (std::size_t conversation = 0; conversation < 2; ++conversation) {
        std::vector<std::string> arguments = runs[conversation];
        arguments.insert(arguments.end(), {"--order", "list", m_counter, m_other});
        const CliOutcome run = RunCli(m_root, arguments);
        ASSERT_EQ(run.m_status, 0) << run.m_err;
        EXPECT_EQ(CounterLines(run.m_out), said[conversation]) << run.m_out;
        EXPECT_EQ(Pids("counter.pids").size(), conversation * 2 + 1) << "loaded once, then twice";
        EXPECT_FALSE(AnyLive()) << "nothing is left once the conversation has ended";
        EXPECT_FALSE(RuntimeFoldersLeft());
    }
}

// However Jabbery ends, even killed outright mid-turn, nothing of its bots
// is left: neither the kept program nor what a bot in its turn started.
TEST_F(KeptCounter, NothingOfTheBotsOutlivesJabbery) {
    const std::string stuck =
        MakeScriptBot(m_root, "stuck", "Stuck",
                      "(env -i setsid sh -c 'echo $$ >> ../left.pids; exec sleep 600' &); "
                      "echo $$ >> ../left.pids; exec sleep 600");
    for (const int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(signal);
        std::filesystem::remove(m_root.File("left.pids"));
        const pid_t cli = StartCli({"--interval", "0", "--order", "list", m_counter, stuck});
        ASSERT_TRUE(Eventually([&] { return Pids("left.pids").size() == 2; }, 60));
        EXPECT_TRUE(ProcessIsLive(Pids("counter.pids").back()));
        ::kill(cli, signal);
        ::waitpid(cli, nullptr, 0);
        // Well within the idle time (300 s): the host sees Jabbery go.
        EXPECT_TRUE(Eventually([&] { return !AnyLive(); }, 20));
        EXPECT_TRUE(Eventually([&] { return !RuntimeFoldersLeft(); }, 20));
    }
}

}  // namespace
}  // namespace jabbery
