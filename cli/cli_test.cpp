// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <sstream>
#include <thread>

#include "cli/human_commands.h"
#include "cli/human_input.h"
#include "cli/test_cli_run.h"
#include "cli/turn_loop.h"
#include "engine/test_bots.h"
#include "engine/test_conversation.h"
#include "platform/test_environment.h"
#include "platform/test_processes.h"

namespace jabbery {
namespace {

using namespace testing;

// The order, a mute and a rule that ends it reach the conversation, whose
// turns are printed and saved after the introductions; a name that names
// no bot is refused. Each folder is named absolute with one trailing slash,
// as the window's folder prompt gives it, however it was written.
TEST(JabberyCli, PrintsAndSavesEachTurnOfTheConversationItsOptionsShape) {
    TempFolder root;
    const std::string a = MakeScriptBot(root, "a", "Ann", RecordAndAnswer("hello"));
    const std::string b = MakeScriptBot(root, "b", "Bob", RecordAndAnswer("hi"));
    const std::string c = MakeScriptBot(root, "c", "Cy", RecordAndAnswer("Goodbye"));
    const std::string relative_a = std::filesystem::relative(a, std::filesystem::current_path());
    const auto run =
        RunCli(root, {"--interval", "0", "--order", "list", "--mute", "bob", "--stop-on", "(?i)bye",
                      "--save", root.File("t.txt"), "--rtf", root.File("t.rtf"), relative_a + "//",
                      root.Path() + "/./a/../b", c});
    ASSERT_EQ(run.m_status, 0) << run.m_err;
    EXPECT_EQ(run.m_err,
              "jabbery-cli: the conversation ended after 2 turns: Cy's reply matched the stop "
              "pattern (?i)bye: \"Goodbye\"\n");
    EXPECT_EQ(run.m_out, a + "/\n" + b + "/\n" + c + "/\nANN> hello\nCY> Goodbye\n");
    const std::string saved = ReadFile(root.File("t.txt"));
    EXPECT_TRUE(saved.starts_with(std::string(77, '#') + "\r\n### Jabbery 3.0: Transcript of ") &&
                saved.ends_with(std::regex_replace(run.m_out, std::regex("\n"), "\r\n")))
        << saved;
    const std::string rtf = ReadFile(root.File("t.rtf"));
    EXPECT_TRUE(rtf.starts_with("{\\rtf1") && rtf.ends_with("\n\\par }")) << rtf;
    EXPECT_NE(rtf.find("\\cf0 \\b ANN> \\b0 hello\\line \\cf2 \\b CY> \\b0 Goodbye\\line "),
              std::string::npos);
}

// The data loss of old among them: --save and --rtf on one file is refused
// before any bot runs or any file is made; the file keeps every byte. A
// setting for a bot that is not there is refused before the introductions.
TEST(JabberyCli, ABadCommandLineIsAOneLineUsageErrorBeforeAnyBotRuns) {
    TempFolder root;
    const std::string a = MakeScriptBot(root, "a", "A", "touch ran");
    const std::string old = root.File("old.txt"), fresh = root.File("new.txt");
    WriteFile(old, "OLD\r\n");
    const std::vector<std::vector<std::string>> bad = {{a},
                                                       {a, root.File("nothing-here")},
                                                       {a, a, "--frobnicate"},
                                                       std::vector<std::string>(16, a),
                                                       {a, a, "--save", old, "--rtf", old},
                                                       {a, a, "--save", fresh, "--rtf", fresh},
                                                       {a, a, "--join", "--name", "Two\nLines"},
                                                       {a, a, "--batch", "2", "--out", a + "/runs"},
                                                       {a, a, "--jsonl", fresh, "--mute", "Dee"}};
    std::string error;
    for (auto arguments : bad) {
        // One turn at most, so a fault that starts a conversation fails here instead of hanging.
        arguments.insert(arguments.begin(), {"--turns", "1"});
        const auto run = RunCli(root, arguments);
        EXPECT_EQ(run.m_status, 2) << arguments.back();
        EXPECT_TRUE(run.m_err.starts_with("jabbery-cli: ") && CountLines(run.m_err) == 1u)
            << run.m_err;
        EXPECT_EQ(run.m_out, "");
        error = run.m_err;
    }
    EXPECT_EQ(error, "jabbery-cli: --mute Dee: no bot is called Dee\n");
    EXPECT_FALSE(std::filesystem::exists(a + "/ran") || std::filesystem::exists(fresh) ||
                 std::filesystem::exists(a + "/runs"));
    EXPECT_EQ(ReadFile(old), "OLD\r\n");
}

// Every bot is checked before the first turn: each that fails is warned
// about at once (not with --quiet), and --strict refuses to start.
TEST(JabberyCli, ChecksEveryBotBeforeTheFirstTurn) {
    TempFolder root;
    const std::string good =
        MakeScriptBot(root, "good", "Good", "touch ran; " + RecordAndAnswer("ok"));
    const std::string broken = MakeScriptBot(root, "broken", "", "./missing");
    const std::string failure = "bot 2 (" + broken +
                                "/): the name (line 4) is empty; the program ./missing is not an "
                                "executable file in the folder\n";
    const std::string refused =
        "jabbery-cli: --strict: nothing was run, as the check above failed\n";
    const std::tuple<std::string, int, std::string> cases[] = {
        {"", 0,
         "jabbery-cli: warning: " + failure +
             "jabbery-cli: the conversation ended after 1 turn: 1 turn was asked for\n"},
        {"--quiet", 0, ""},
        {"--strict", 2, "jabbery-cli: " + failure + refused},
    };
    for (const auto& [option, status, err] : cases) {
        std::vector<std::string> arguments = {"--turns", "1", "--interval", "0", good, broken};
        if (!option.empty()) arguments.push_back(option);
        const auto run = RunCli(root, arguments);
        EXPECT_EQ(run.m_status, status);
        EXPECT_EQ(run.m_err, err);
        EXPECT_EQ(std::filesystem::remove(good + "/ran"), status == 0);
        EXPECT_EQ(run.m_out.empty(), status != 0);
    }
}

// A tick during a turn makes one due at its end: with a 1 s beat and a bot
// that takes 2.5 s once, turns start at 1, 2, 4.5 and 5 s, the last two 0.5 s
// apart. Its errors piped, the run never says whom it waits for.
TEST(JabberyCli, KeepsTheTimersBeatAfterALongTurn) {
    TempFolder root;
    const std::string stamp = "date +%s%N >> " + Quote(root.File("starts")) + "; ";
    const std::string quick = MakeScriptBot(root, "quick", "Quick", stamp + RecordAndAnswer("q"));
    const std::string slow = MakeScriptBot(
        root, "slow", "Slow",
        stamp + "[ -e slept ] || { touch slept; sleep 2.5; }; " + RecordAndAnswer("s"));
    const auto run = RunCli(root, {"--turns", "4", "--interval", "1000", quick, slow});
    EXPECT_EQ(run.m_status, 0);
    EXPECT_EQ(run.m_err,
              "jabbery-cli: the conversation ended after 4 turns: 4 turns were asked for\n");
    std::istringstream lines(ReadFile(root.File("starts")));
    std::vector<long long> starts;
    for (long long ns = 0; lines >> ns;) starts.push_back(ns / 1000000);
    ASSERT_EQ(starts.size(), 4u);
    EXPECT_GE(starts[2] - starts[1], 2400) << "the slow bot's turn";
    EXPECT_LT(starts[3] - starts[2], 900) << "the next tick came off the beat";
}

// Runs jabbery-cli with `arguments` to its end, `input` on its standard input
// and its errors on a terminal of their own: its status and what that showed.
std::pair<int, std::string> RunWithErrorsOnATerminal(const std::vector<std::string>& arguments,
                                                     const std::string& input = "") {
    int terminal = -1, errors = -1, in[2];
    EXPECT_EQ(openpty(&terminal, &errors, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(pipe(in), 0);
    const pid_t pid = StartCli(arguments, -1, errors, in[0]);
    close(errors);
    close(in[0]);
    EXPECT_EQ(write(in[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    close(in[1]);
    // Read on a thread of its own, so that the run never waits on a full terminal.
    std::string shown;
    std::thread reader([&] {
        char buffer[256];
        for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, n);
    });
    const int status = WaitForCli(pid);
    reader.join();
    close(terminal);
    return {status, shown};
}

// On a terminal, a bot that takes more than 2 s is waited for on one line,
// which is taken back when its turn ends (piped, the test above); a terminal
// that cannot take a line back (TERM=dumb) gets none.
TEST(JabberyCli, SaysWhomItWaitsForOnATerminalOnly) {
    TempFolder root;
    const std::string quick = MakeScriptBot(root, "quick", "Quick", "true");
    const std::string slow =
        MakeScriptBot(root, "slow", "Slow", "sleep 2.5; " + RecordAndAnswer("done"));
    const char* terminal_type = std::getenv("TERM");
    const bool had_type = terminal_type != nullptr;
    const std::string given = had_type ? terminal_type : "";
    for (const bool dumb : {false, true}) {
        if (dumb) setenv("TERM", "dumb", 1);
        const auto [status, shown] =
            RunWithErrorsOnATerminal({"--turns", "1", "--interval", "0", slow, quick});
        EXPECT_EQ(status, 0);
        // A busy machine may let the bot run into its third second: one more update.
        const std::string waiting = dumb ? ""
                                         : "\r\x1b\\[Kwaiting for SLOW \\(2 s\\)\xE2\x80\xA6"
                                           "([^\n]*\xE2\x80\xA6)?\r\x1b\\[K";
        EXPECT_TRUE(std::regex_match(
            shown, std::regex(waiting + "jabbery-cli: the conversation ended[^\n]*\r?\n")))
            << shown;
    }
    if (had_type)
        setenv("TERM", given.c_str(), 1);
    else
        unsetenv("TERM");
}

// Where a stopped run's standard output goes.
enum class Output { kNowhere, kFullPipe, kClosedPipe };

// Each way to stop a run ends the bot in flight with all it started, writes
// --save and --rtf (the interrupted turn adds no line: its bot never finished
// saying anything), and ends with a status that tells how it was stopped.
TEST(JabberyCli, EachWayToStopSavesBothFilesAndEndsWithItsOwnStatus) {
    const struct {
        const char* what;
        int signal;  // 0: none is sent
        Output output;
        int status;
    } ways[] = {{"Ctrl-C", SIGINT, Output::kNowhere, 130},
                {"SIGTERM", SIGTERM, Output::kNowhere, 143},
                {"the terminal closed", SIGHUP, Output::kNowhere, 129},
                {"Ctrl-\\", SIGQUIT, Output::kNowhere, 131},
                {"Ctrl-C while nobody reads the output", SIGINT, Output::kFullPipe, 130},
                {"the output's reader gone (| head)", 0, Output::kClosedPipe, 141}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        TempFolder root;
        const std::string chatty = MakeScriptBot(root, "chatty", "Chatty",
                                                 "head -c 1900 /dev/zero | tr '\\0' x > chat.msg");
        const std::string slow = MakeScriptBot(
            root, "slow", "Slow", "echo $$ > group; printf 'cut short\\n' > chat.msg; sleep 1000");
        // A full pipe needs chatty turns only: its 64 KiB are about 35 of them.
        const std::string second = way.output == Output::kFullPipe ? chatty : slow;
        int pipe_ends[2];
        ASSERT_EQ(pipe2(pipe_ends, O_CLOEXEC), 0);
        if (way.output == Output::kClosedPipe) close(pipe_ends[0]);
        const pid_t pid = StartCli({"--interval", "0", "--save", root.File("t.txt"), "--rtf",
                                    root.File("t.rtf"), chatty, second},
                                   way.output == Output::kNowhere ? -1 : pipe_ends[1]);
        close(pipe_ends[1]);
        // The bot (or the write) is well under way when the stop comes.
        ASSERT_TRUE(Eventually(
            [&, queued = 0]() mutable {
                if (way.output == Output::kFullPipe)
                    return ioctl(pipe_ends[0], FIONREAD, &queued) == 0 && queued > 50000;
                return way.signal == 0 || !TrimmedFile(slow + "/group").empty();
            },
            30));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (way.signal != 0) kill(pid, way.signal);
        EXPECT_EQ(WaitForCli(pid), way.status);
        if (way.output != Output::kClosedPipe) close(pipe_ends[0]);
        if (const std::string group = TrimmedFile(slow + "/group"); !group.empty()) {
            EXPECT_TRUE(Eventually([&] { return !GroupHasLiveProcess(std::stol(group)); }))
                << "the bot's process group survived";
        }
        const std::string saved = ReadFile(root.File("t.txt"));
        EXPECT_NE(saved.find(chatty + "/\r\n" + second + "/\r\n"), std::string::npos) << saved;
        EXPECT_EQ(saved.find("SLOW>"), std::string::npos);
        EXPECT_TRUE(ReadFile(root.File("t.rtf")).starts_with("{\\rtf1"));
    }
}

// Started with standard output and error closed, the program writes nothing
// meant for them into the first file it opens, the JSON Lines log.
TEST(JabberyCli, StartedWithItsOutputsClosedKeepsTheLogToItself) {
    TempFolder root;
    const std::string a = MakeScriptBot(root, "a", "A", RecordAndAnswer("hello"));
    const std::string failing = MakeScriptBot(root, "f", "F", "exit 3");
    const std::string log = root.File("t.jsonl");
    const std::string command = Quote(JABBERY_CLI) + " --turns 4 --interval 0 --jsonl " +
                                Quote(log) + " " + Quote(a) + " " + Quote(failing) + " >&- 2>&-";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string logged = ReadFile(log);
    EXPECT_TRUE(std::regex_match(logged, std::regex("(\\{\"conversation\":[^\n]*\n){6}")))
        << logged;
}

// A bare name is a bundled bot, copied for the user (install/ checks the copy), or a
// one-line error listing the user's bots, the closest first.
TEST(JabberyCli, ABareNameIsLookedUpAmongTheBundledBots) {
    TempFolder root;
    const std::string user_bots = root.File("data/jabbery/bots");
    ScopedVariable data_home("XDG_DATA_HOME", root.File("data"));
    // Two turns, each answered: the copies run the programs the build tree stages.
    const auto run = RunCli(root, {"--turns", "2", "--interval", "0", "hask", "wren"});
    EXPECT_TRUE(run.m_status == 0 &&
                run.m_out.starts_with(user_bots + "/hask/\n" + user_bots + "/wren/\nHASK> ") &&
                run.m_out.find("> \n") == std::string::npos)
        << run.m_err << run.m_out;
    EXPECT_EQ(RunCli(root, {"hsak", "wren"}).m_err,
              "jabbery-cli: hsak: no such folder, and no bot of that name; your bots are hask, "
              "wren, brixley, ottilie (in " +
                  user_bots + ")\n");
}

// A human joins through a pipe: their lines at turn boundaries, a named bot
// answering, a command's message on standard error, and /quit ending it.
TEST(JabberyCli, AHumanJoinsThroughStandardInput) {
    TempFolder root;
    std::vector<std::string> arguments = {"--join",  "--name",     "Sam", "--order",
                                          "natural", "--interval", "100"};
    for (const char* name : {"Ann", "Bob", "Cy"}) {
        arguments.push_back(
            MakeScriptBot(root, name, name,
                          std::string("printf '%s heard %s\\r\\n' ") + name +
                              " \"$(sed -n 2p chat.msg | tr -d '\\r')\" > chat.msg"));
    }
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    const int out = open(root.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(root.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t pid = StartCli(arguments, out, err, input[0]);
    close(input[0]);
    const auto say = [&](const std::string& lines) {
        ASSERT_EQ(write(input[1], lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    };
    const auto printed = [&] { return ReadFile(root.File("out")); };
    say("Over to you, cy {\\b}\n");
    EXPECT_TRUE(Eventually([&] {
        return printed().find("CY> Cy heard Over to you, cy {\\b}\n") != std::string::npos;
    })) << printed();
    say("/bogus\n/quit\n");
    EXPECT_EQ(WaitForCli(pid), 0);
    close(input[1]);
    EXPECT_TRUE(ReadFile(root.File("err"))
                    .ends_with("jabbery-cli: unknown command /bogus (/help lists them)\n"
                               "jabbery-cli: the conversation ended after " +
                               std::to_string(CountLines(printed()) - 3) +
                               " turns: Sam said /quit\n"))
        << ReadFile(root.File("err"));
}

// A command's message echoes what was typed or piped in, but on a terminal
// no control character of it reaches the screen.
TEST(JabberyCli, ACommandsMessageShowsNoControlsOnATerminal) {
    TempFolder root;
    const std::string ann = MakeScriptBot(root, "ann", "Ann", RecordAndAnswer("hi"));
    const std::string bob = MakeScriptBot(root, "bob", "Bob", RecordAndAnswer("hi"));
    const auto [status, shown] = RunWithErrorsOnATerminal(
        {"--join", "--name", "Sam", "--interval", "100", ann, bob}, "/mute \x1b[2J\n/quit\n");
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(shown.starts_with("jabbery-cli: /mute: no bot is called ?[2J\r\n")) << shown;
}

// So does --export, whose warnings quote what a log (perhaps someone else's) holds.
TEST(JabberyCli, AnExportsWarningShowsNoControlsOnATerminal) {
    TempFolder root;
    WriteFile(root.File("log.jsonl"),
              "{\"turn\":1,\"bot\":0,\"name\":\"Ann\",\"text\":\"hi\"}\n"
              "{\"turn\":2,\"bot\":0,\"text\":\"x\",\"outcome\":\"\\u001b[2J\"}\n");
    const auto [status, shown] =
        RunWithErrorsOnATerminal({"--export", "md", root.File("log.jsonl"), root.File("out.md")});
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(shown.ends_with("line 2: the outcome \"?[2J\" is not one; skipped\r\n")) << shown;
}

// No one is left to /resume once the input has ended: the conversation goes on.
TEST(JabberyCli, TheEndOfInputLiftsAPause) {
    TempFolder root;
    WriteFile(root.File("in"), "/pause\n");
    const int in = open(root.File("in").c_str(), O_RDONLY);
    const int err = open(root.File("err").c_str(), O_WRONLY | O_CREAT, 0600);
    const std::string bot = MakeScriptBot(root, "ann", "Ann", RecordAndAnswer("hi"));
    EXPECT_EQ(WaitForCli(StartCli(
                  {"--join", "--turns", "2", "--for", "30s", "--interval", "300", bot, bot}, -1,
                  err, in)),
              0);
    close(in);
    close(err);
    EXPECT_TRUE(ReadFile(root.File("err")).ends_with("2 turns were asked for\n"))
        << ReadFile(root.File("err"));
}

// A line of 100 MB (a file without line ends given as input) is taken in
// time linear in its length, not searched from its start at each read.
TEST(HumanInput, TakesAHugeLineInLinearTime) {
    TempFolder root;
    WriteFile(root.File("in"), std::string(100'000'000, 'x') + "\n");
    const int in = open(root.File("in").c_str(), O_RDONLY);
    std::optional<std::string> line;
    {
        HumanInput input(in);
        EXPECT_TRUE(Eventually([&] { return (line = input.Next()).has_value(); }, 20));
    }
    close(in);
    EXPECT_EQ(line.value_or("").size(), 100'000'000u);
}

// Without threads (a process or memory limit) a joining human cannot be
// heard: that is said, and no bot speaks; an exchange is then run on the
// loop's own thread instead of one of its own.
TEST(JabberyCli, GoesOnOrStopsInWordsWhenNoThreadCanStart) {
    TempFolder root;
    const std::string bot = MakeScriptBot(root, "ann", "Ann", RecordAndAnswer("hi"));
    {
        const ScopedLimit huge_stacks(RLIMIT_STACK, rlim_t{1} << 50);
        const CliOutcome joined = RunCli(root, {"--join", "--turns", "2", bot, bot});
        EXPECT_EQ(joined.m_status, 1);
        EXPECT_NE(joined.m_err.find("jabbery-cli: --join: no thread can be started to read your "
                                    "lines ("),
                  std::string::npos)
            << joined.m_err;
    }
    StopRules rules;
    rules.m_turns = 2;
    Conversation conversation(MakeSpeakingOrder("list"), rules);
    for (const char* name : {"A", "B"}) conversation.Join(Bot(name));
    ScriptedRunner runner;
    TurnLoopSettings settings;
    settings.m_interval = std::chrono::milliseconds(0);
    settings.m_poll = [] { return SchedulerAction::kNothing; };
    const RunCanceller canceller;
    {
        const NoNewThreads no_threads;
        RunTurnLoop(conversation, runner, settings, canceller);
    }
    EXPECT_EQ(conversation.Turns().size(), 2u);
}

// What the commands then do is the conversation's rule (steering_test.cpp,
// turn_scheduler_test.cpp); here, that each reaches it (/mute of a name two
// bots have, both of them, as --mute does).
TEST(HumanCommands, MutePauseAndResumeReachTheConversation) {
    Started started({"Ann", "Bob", "Cy", "Bob"});
    Conversation& conversation = started.conversation;
    const ParticipantId sam = conversation.JoinHuman("Sam").m_id;
    for (const char* line : {"/mute bob", "/pause"}) DoHumanLine(conversation, sam, line);
    EXPECT_TRUE(conversation.Get(1).m_muted && conversation.Get(3).m_muted &&
                conversation.Scheduler().IsPaused());
    DoHumanLine(conversation, sam, "/resume");
    EXPECT_FALSE(conversation.Scheduler().IsPaused());
    EXPECT_EQ(DoHumanLine(conversation, sam, "/next").m_message, "/next: the NAME is missing");
    EXPECT_EQ(DoHumanLine(conversation, sam, "/add").m_message, "/add: the FOLDER is missing");
}

// As in the window, an empty line (Enter on an empty input line) says nothing.
TEST(HumanCommands, AnEmptyLineOrInterruptSaysNothing) {
    Started started({"Ann", "Bob"});
    const ParticipantId sam = started.conversation.JoinHuman("Sam").m_id;
    EXPECT_EQ(DoHumanLine(started.conversation, sam, "").m_message, "");
    EXPECT_EQ(DoHumanLine(started.conversation, sam, "/interrupt").m_message,
              "/interrupt: the TEXT to say is missing");
    EXPECT_TRUE(started.conversation.Turns().empty());
}

// /add takes a bare name as the command line does: the user's bot of that name.
TEST(HumanCommands, AddTakesABareNameAsTheUsersBot) {
    TempFolder root;
    ScopedVariable data_home("XDG_DATA_HOME", root.File("data"));
    Started started({"Ann", "Bob"});
    const ParticipantId sam = started.conversation.JoinHuman("Sam").m_id;
    const HumanLineDone added = DoHumanLine(started.conversation, sam, "/add hask");
    EXPECT_EQ(started.conversation.Participants().back().m_name, "Hask") << added.m_message;
}

}  // namespace
}  // namespace jabbery
