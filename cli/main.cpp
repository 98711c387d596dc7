// SPDX-License-Identifier: MIT
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "cli/batch_command.h"
#include "cli/check_report.h"
#include "cli/continuation.h"
#include "cli/conversation_printer.h"
#include "cli/export_command.h"
#include "cli/human_commands.h"
#include "cli/human_input.h"
#include "cli/input_line.h"
#include "cli/options.h"
#include "cli/outcome_report.h"
#include "cli/output_paths.h"
#include "cli/steering.h"
#include "cli/try_bot.h"
#include "cli/turn_loop.h"
#include "cli/waiting_line.h"
#include "engine/bot_check.h"
#include "engine/bot_descriptor.h"
#include "engine/bot_runner.h"
#include "engine/bot_set_up.h"
#include "engine/conversation.h"
#include "engine/conversation_log_reader.h"
#include "engine/conversation_replay.h"
#include "engine/conversation_runtime.h"
#include "engine/jsonl_log.h"
#include "engine/set_up_record.h"
#include "engine/transcript_recorder.h"
#include "engine/turn_warning.h"
#include "install/bundled_bots.h"
#include "install/program_bot.h"
#include "platform/draws.h"
#include "platform/growing_file.h"
#include "platform/run_hidden.h"
#include "platform/self_location.h"
#include "platform/signal_name.h"
#include "platform/stop_signals.h"
#include "platform/terminal.h"
#include "platform/terminal_filter.h"
#include "platform/user_account.h"
#include "transcript/transcript.h"
#include "transcript/transcript_file.h"
#include "values/product.h"
#include "values/shell_quote.h"

namespace {

// How long the program may take to save and end after Ctrl-C or SIGTERM:
// under the second it promises, with room for the kernel to end it.
constexpr std::chrono::milliseconds kStopGrace{800};

// A message may echo a bot's name or what was typed: on a terminal, none of
// its control characters may move the cursor or clear the screen.
int Fail(const std::string& message) {
    std::fprintf(stderr, "jabbery-cli: %s\n",
                 jabbery::ShownOn(message, jabbery::IsTerminal(stderr)).c_str());
    return 2;
}

// Reads the log --replay or --continue names; none, with `error`, when it
// cannot be read or records no one.
std::optional<jabbery::RecordedConversation> ReadLog(const jabbery::CliOptions& options,
                                                     std::vector<std::string>& problems,
                                                     std::string& error) {
    using Mode = jabbery::CliOptions::Mode;
    if (options.m_mode == Mode::kReplay && (!options.m_botFolders.empty() || options.m_join)) {
        error = "--replay takes no BOTDIR and no --join: it only shows what was said";
        return std::nullopt;
    }
    if (options.m_batch) {
        error = "--batch does not go with --replay or --continue";
        return std::nullopt;
    }
    if (options.m_jsonlPath) {
        error = options.m_mode == Mode::kReplay
                    ? "--replay writes no log: leave out --jsonl"
                    : "--continue appends to " + options.m_log + " itself: leave out --jsonl";
        return std::nullopt;
    }
    // Another run (a window, or jabbery-cli) still adding to the log: two
    // conversations would mingle their turns in it.
    if (options.m_mode == Mode::kContinue && jabbery::IsBeingWritten(options.m_log)) {
        error = options.m_log +
                " is still being written by another window or program: it can be gone on with "
                "once that has ended";
        return std::nullopt;
    }
    auto recorded = jabbery::ReadConversationLog(options.m_log, problems, error);
    if (recorded && recorded->m_participants.empty()) {
        error = options.m_log + ": it records no participant, so it is no conversation log";
        return std::nullopt;
    }
    return recorded;
}

// How a run that was stopped ends, for scripts to tell: 128 + the stop
// signal, as a shell shows a program that signal ended; 128 + SIGPIPE when
// standard output's reader went away. Otherwise `status`.
int ExitStatus(int status, int output_error) {
    if (const int signal = jabbery::StopSignalReceived(); signal != 0) return 128 + signal;
    return output_error == EPIPE ? 128 + SIGPIPE : status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace jabbery;
    OpenClosedStandardStreams();
    CliOptions options;
    std::string error;
    switch (ParseCliOptions({argv + 1, argv + argc}, options, error)) {
        case OptionsEnd::kError:
            return Fail(error);
        case OptionsEnd::kHelp:
            std::fputs(CliUsage().c_str(), stdout);
            return 0;
        case OptionsEnd::kVersion:
            std::fputs(VersionNotice("jabbery-cli").c_str(), stdout);
            return 0;
        case OptionsEnd::kRun:
            break;
    }
    // A file size limit (ulimit -f) fails the write of an export or a new
    // bot (EFBIG), said as a full disk is, rather than killing us mid-write.
    std::signal(SIGXFSZ, SIG_IGN);
    // Before the bot names are looked up: LOG and OUT are files, not bots.
    if (options.m_mode == CliOptions::Mode::kExport) return RunExport(options, stderr);
    // Likewise --new-bot's COMMAND is a program, not a bot.
    if (options.m_mode == CliOptions::Mode::kNewBot) {
        const std::string folder =
            MakeProgramBot(CurrentBotPlaces(), options.m_newBot, options.m_botFolders,
                           StdioBridgePath(ProgramFolder()), error);
        if (folder.empty()) return Fail(error);
        std::printf("Made the bot folder %s; try it with\n  jabbery-cli --try %s\n", folder.c_str(),
                    ShellQuote(options.m_newBot).c_str());
        return 0;
    }
    // A bare bundled bot's name stands for the user's copy of that bot.
    std::vector<std::string>& arguments = options.m_botFolders;
    const std::size_t folder_count = options.m_mode == CliOptions::Mode::kTry
                                         ? std::min<std::size_t>(arguments.size(), 1)
                                         : arguments.size();
    std::vector<std::string> folders(arguments.begin(), arguments.begin() + folder_count);
    if (!ResolveBotArguments(folders, error)) return Fail(error);
    std::copy(folders.begin(), folders.end(), arguments.begin());

    const bool for_terminal = IsTerminal(stdout) && std::getenv("NO_COLOR") == nullptr;
    if (options.m_mode == CliOptions::Mode::kCheck) {
        if (options.m_botFolders.empty()) return Fail("--check needs at least one BOTDIR");
        return PrintBotChecks(options.m_botFolders, stdout, IsTerminal(stdout));
    }
    if (options.m_mode == CliOptions::Mode::kTry) {
        const auto& arguments = options.m_botFolders;
        if (arguments.empty() || arguments.size() > 2) {
            return Fail("--try takes one BOTDIR and an optional MESSAGE (see --help)");
        }
        if (const std::string problem = FolderProblem(arguments[0], CurrentBotPlaces());
            !problem.empty()) {
            return Fail(problem);
        }
        return TryBot(arguments[0], arguments.size() == 2 ? arguments[1] : kFirstMessage,
                      options.m_timeout, options.m_idle, stdout, IsTerminal(stdout));
    }
    using Mode = CliOptions::Mode;
    std::optional<RecordedConversation> recorded;
    std::vector<std::string> log_problems;
    if (options.m_mode == Mode::kReplay || options.m_mode == Mode::kContinue) {
        recorded = ReadLog(options, log_problems, error);
        if (!recorded) return Fail(error);
    }
    const int count = static_cast<int>(options.m_botFolders.size());
    if (!recorded && !IsValidBotCount(count)) return Fail(BotCountError(count) + " (see --help)");
    const BotPlaces places = CurrentBotPlaces();
    for (std::string& folder : options.m_botFolders) {
        if (const std::string problem = FolderProblem(folder, places); !problem.empty()) {
            return Fail(problem);
        }
        // The introduction lines name each folder as the window does.
        folder = FolderAsPromptGivesIt(folder);
    }
    if (const std::string problem = CheckOutputTargets(OutputTargets(options)); !problem.empty()) {
        return Fail(problem);
    }

    // Ctrl-C, SIGTERM, SIGHUP and SIGQUIT: the turn in flight ends (its
    // bot's group is killed), the conversation stops there and is saved,
    // within kStopGrace.
    RunCanceller canceller;
    InstallStopSignals(canceller, kStopGrace);
    // A continued conversation keeps its seed, so its speakers go on as they would have.
    const std::optional<ConversationSetUp>& set_up =
        recorded ? recorded->m_setUp : std::optional<ConversationSetUp>();
    const Continuation continuation =
        ContinuationOf({options.m_order, options.m_seed, StopRulesOf(options)}, set_up);
    const std::optional<unsigned> seed = continuation.m_seed;
    if (seed) SeedDraws(*seed);

    // Once stopped, nothing waits on a reader that does not read.
    StopAwareOutput out(fileno(stdout), canceller);
    StopAwareOutput err(fileno(stderr), canceller);
    // A message of one line on standard error, named as this program's, as Fail shows it.
    const bool warnings_to_terminal = IsTerminal(stderr);
    const auto warn = [&err, warnings_to_terminal](const std::string& text) {
        err.Write("jabbery-cli: " + ShownOn(text, warnings_to_terminal) + "\n");
    };
    if (!options.m_quiet) {
        for (const std::string& problem : log_problems) warn(options.m_log + ": " + problem);
    }
    if (options.m_mode == Mode::kContinue) {
        if (const std::string problem = ReloadBots(*recorded, options.m_botFolders);
            !problem.empty()) {
            return Fail(options.m_log + ": " + problem);
        }
    }
    std::vector<Participant> bots;
    for (const std::string& folder : recorded ? std::vector<std::string>() : options.m_botFolders) {
        std::string why;
        std::optional<Participant> bot = ReadBot(folder, &why);
        if (!bot) {
            warn(NotABotText(folder, why));
            return 2;
        }
        bots.push_back(std::move(*bot));
    }
    if (options.m_mode == Mode::kContinue) {
        for (const Participant& participant : recorded->m_participants) {
            if (participant.m_kind == ParticipantKind::kBot && !participant.m_removed)
                bots.push_back(participant);
        }
    }
    if ((!options.m_quiet || options.m_strict) &&
        !ReportFailedChecks(FailedBotChecks(bots), options.m_strict, warnings_to_terminal,
                            stderr)) {
        return 2;
    }
    if (options.m_mode != Mode::kReplay) {
        if (const std::string problem = TryBotSettings(bots, options); !problem.empty()) {
            return Fail(problem);
        }
    }
    if (options.m_batch) {
        const bool progress = IsTerminal(stderr) && !options.m_quiet;
        return ExitStatus(RunBatchCommand(options, bots, canceller, out, err, progress),
                          out.Error());
    }
    // A continued conversation goes on under its own id, in its own log.
    const std::string conversation_id =
        set_up && !set_up->m_id.empty() ? set_up->m_id : ConversationId();
    JsonlLog jsonl(conversation_id, warn);
    const std::optional<std::string> log_path =
        options.m_mode == Mode::kContinue ? std::optional(options.m_log) : options.m_jsonlPath;
    if (log_path && !jsonl.Open(*log_path, error)) return Fail(error);

    const std::string& order = continuation.m_order;
    const StopRules& rules = continuation.m_rules;
    Conversation conversation(MakeSpeakingOrder(order), rules);
    TranscriptRecorder transcripts;
    // A reader that went away (`| head`) stops the run as Ctrl-C does.
    ConversationPrinter printer(out, for_terminal, [&canceller] { canceller.Cancel(); });
    TurnWarnings warnings("jabbery-cli", warnings_to_terminal,
                          [&err](const std::string& warning) { err.Write(warning); });
    // The bots' view of the conversation: its log so far and their kept programs.
    ConversationRuntime runtime(conversation_id, warn);
    if (!runtime.Open(options.m_idle, error)) {
        warn(error + "; the bots are not given the conversation's log or kept programs");
    }
    conversation.AddObserver(runtime.Log());
    conversation.SetBotEnvironment(runtime.Environment());
    conversation.AddObserver(transcripts);
    conversation.AddObserver(printer);
    if (!options.m_quiet) conversation.AddObserver(warnings);
    if (log_path) conversation.AddObserver(jsonl);
    if (options.m_mode == Mode::kContinue) {
        GoOnFrom(conversation, *recorded, continuation, options.m_opening, jsonl);
    } else if (recorded) {
        JoinRecorded(conversation, *recorded);
    } else {
        if (options.m_opening) conversation.SetOpening(*options.m_opening);
        for (Participant& bot : bots) conversation.Join(std::move(bot));
        jsonl.BeginWithHeader(
            RecordSetUp("jabbery-cli", order, seed, conversation.LastMessage(), rules),
            conversation.Participants());
    }
    // The bots' log begins with the same header, and what was said before.
    runtime.BeginLog(RecordSetUp("jabbery-cli", order, seed, conversation.LastMessage(), rules),
                     conversation,
                     options.m_mode == Mode::kContinue ? recorded->m_turns : std::vector<Turn>());
    ParticipantId human = 0;
    if (options.m_join) {
        const std::string account = AccountName();
        human = conversation.JoinHuman(options.m_name.value_or(account.empty() ? "Human" : account))
                    .m_id;
    }
    if (const std::string problem = ApplyBotSettings(conversation, options); !problem.empty()) {
        return Fail(problem);
    }

    // The human's lines: typed on an input line that the conversation
    // writes above, when both ends are a terminal; else read as they come.
    // What runs the bots is forked before the human's and the exchanges'
    // threads start, so that it finds no lock of theirs taken.
    if (options.m_mode != Mode::kReplay) PrepareHiddenRuns();
    std::unique_ptr<HumanLines> human_input;
    InputLine* input_line = nullptr;
    // A terminal that cannot move its cursor (TERM=dumb, an editor's shell
    // buffer) gets the plain reader, and no waiting line it could not take back.
    const char* terminal_type = std::getenv("TERM");
    const bool dumb = terminal_type != nullptr && std::string_view(terminal_type) == "dumb";
    const bool can_draw = terminal_type != nullptr && !dumb;
    try {
        if (options.m_join && can_draw && IsTerminal(stdin) && IsTerminal(stdout)) {
            const Participant& joined = conversation.Get(human);
            auto line = std::make_unique<InputLine>(stdin, stdout, SpeakerLabel(joined.m_name),
                                                    printer.NameStyle(joined.m_colour));
            input_line = line.get();
            out.KeepBelow(input_line);
            if (warnings_to_terminal) err.KeepBelow(input_line);
            human_input = std::move(line);
        } else if (options.m_join) {
            human_input = std::make_unique<HumanInput>(fileno(stdin));
        }
    } catch (const std::system_error& refused) {
        // A process or memory limit: the human could not be heard, so no bot speaks.
        warn("--join: no thread can be started to read your lines (" + refused.code().message() +
             ")");
        return 1;
    }

    int status = 0;
    WaitingLine waiting_line(err, input_line);
    TurnLoopSettings settings{
        options.m_interval,
        options.m_timeout,
        warnings_to_terminal && !dumb && !options.m_quiet ? &waiting_line : nullptr,
        options.m_jitter,
        options.m_seed.value_or(0),
        nullptr};
    if (human_input) {
        // The human's lines, each as it comes; a command's message on standard error.
        settings.m_poll = [&]() {
            while (const std::optional<std::string> line = human_input->Next()) {
                const HumanLineDone done = DoHumanLine(conversation, human, *line);
                if (!done.m_message.empty()) {
                    // /help's lines stand as they are.
                    if (done.m_message.back() == '\n') {
                        err.Write(done.m_message);
                    } else {
                        warn(done.m_message);
                    }
                }
                if (done.m_action != SchedulerAction::kNothing) return done.m_action;
            }
            // Once the input has ended no one can /resume: the conversation goes on.
            if (human_input->Ended() && conversation.Scheduler().IsPaused())
                conversation.OnResume();
            return SchedulerAction::kNothing;
        };
    }
    if (options.m_mode == Mode::kReplay) {
        const auto interval =
            options.m_intervalGiven ? options.m_interval : std::chrono::milliseconds(0);
        for (const Turn& turn : recorded->m_turns) {
            if (canceller.WaitFor(interval)) break;
            conversation.Replay(turn);
        }
        if (!canceller.IsCancelled()) {
            conversation.Finish(
                recorded->m_end ? recorded->m_end->m_reason : EndReason::kInterrupted,
                recorded->m_end ? recorded->m_end->Detail() : "the log records no end");
        }
    } else {
        ProcessBotRunner runner;
        RunTurnLoop(conversation, runner, settings, canceller);
    }
    // The conversation is over: nothing more is read, and the terminal is
    // left as it was found before the last lines are written.
    out.KeepBelow(nullptr);
    err.KeepBelow(nullptr);
    human_input.reset();
    // Why it ended, unless one of its rules ended it: a stop signal, or
    // standard output failed (its reader went away, or its disk is full).
    const int stop_signal = StopSignalReceived();
    conversation.Finish(EndReason::kInterrupted,
                        stop_signal != 0 ? "interrupted by " + SignalName(stop_signal)
                        : out.Error() == EPIPE
                            ? std::string("standard output's reader went away")
                            : "standard output cannot be written (" +
                                  std::system_category().message(out.Error()) + ")");
    if (!options.m_quiet) warn(EndLine(conversation, warnings_to_terminal));

    // The files first, then what is printed, which may find no reader.
    const TranscriptTexts& texts = transcripts.Texts();
    if (options.m_savePath &&
        !AppendTranscriptToFile(*options.m_savePath, texts.m_plainText, SystemNow, error)) {
        // There is no one to offer another file: say what was lost and how to avoid it.
        warn(error + "; the plain transcript was not saved (run again with another --save file)");
        status = 1;
    }
    if (options.m_rtfPath) {
        std::string written_to;
        const std::string rtf_error =
            WriteNewOutput(*options.m_rtfPath, texts.Document(), written_to);
        if (!rtf_error.empty()) {
            warn(rtf_error);
            status = 1;
        } else if (written_to != *options.m_rtfPath) {
            err.Write("jabbery-cli: --rtf " + *options.m_rtfPath +
                      ": a file of that name appeared during the run; the document is in " +
                      written_to + "\n");
            status = 1;
        }
    }
    // The log --jsonl names, or the one --continue appends to.
    if (log_path && !jsonl.Finish(error)) {
        warn(error);
        status = 1;
    }
    if (options.m_stats) {
        err.Write(StatsTable(conversation.Participants(), warnings_to_terminal) +
                  "Ended: " + EndKey(conversation.Ended()->m_reason) + "\n");
    }
    if (out.Error() != 0 && out.Error() != EPIPE) {
        err.Write("jabbery-cli: standard output cannot be written (" +
                  std::system_category().message(out.Error()) +
                  "), so the conversation stopped there\n");
        status = 1;
    }
    return ExitStatus(status, out.Error());
}
