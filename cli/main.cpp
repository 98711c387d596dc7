// SPDX-License-Identifier: MIT
#include <cstdio>

#include "cli/check_report.h"
#include "cli/conversation_printer.h"
#include "cli/jsonl_log.h"
#include "cli/options.h"
#include "cli/outcome_report.h"
#include "cli/output_paths.h"
#include "cli/terminal_host.h"
#include "cli/try_bot.h"
#include "cli/turn_loop.h"
#include "cli/waiting_line.h"
#include "engine/bot_check.h"
#include "engine/bundled_bots.h"
#include "engine/conversation.h"
#include "engine/roster.h"
#include "engine/turn_warning.h"
#include "platform/run_hidden.h"
#include "platform/stop_signals.h"
#include "platform/terminal.h"
#include "values/product.h"

namespace {

// How long the program may take to save and end after Ctrl-C or SIGTERM:
// under the second it promises, with room for the kernel to end it.
constexpr std::chrono::milliseconds kStopGrace{800};

void Report(const std::string& message) {
    std::fprintf(stderr, "jabbery-cli: %s\n", message.c_str());
}

int Fail(const std::string& message) {
    Report(message);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace jabbery;
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
                      options.m_timeout, stdout, IsTerminal(stdout));
    }
    const int count = static_cast<int>(options.m_botFolders.size());
    if (!IsValidBotCount(count)) return Fail(BotCountError(count) + " (see --help)");
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

    // Ctrl-C and SIGTERM: the turn in flight ends (its bot's group is
    // killed), the conversation stops there and is saved, within kStopGrace.
    RunCanceller canceller;
    InstallStopSignals(canceller, kStopGrace);
    if (options.m_seed) std::srand(*options.m_seed);

    ConversationPrinter printer(stdout, for_terminal);
    TerminalHost host(options.m_botFolders, options.m_savePath);
    ConversationState state;
    state.m_botCount = count;
    if (!LoadRoster(state, state, host, host, count)) return 2;
    const bool warnings_to_terminal = IsTerminal(stderr);
    if ((!options.m_quiet || options.m_strict) &&
        !ReportFailedChecks(FailedBotChecks(state, count), options.m_strict, warnings_to_terminal,
                            stderr)) {
        return 2;
    }
    JsonlLog jsonl(ConversationId());
    if (options.m_jsonlPath && !jsonl.Open(*options.m_jsonlPath, error)) return Fail(error);
    StartConversation(state, host, host);
    printer.PrintIntroductions(state);

    int status = 0;
    WaitingLine waiting_line(stderr);
    const TurnLoopSettings settings{
        options.m_interval, options.m_timeout, options.m_turns,
        warnings_to_terminal && !options.m_quiet ? &waiting_line : nullptr};
    RunTurnLoop(state, host, settings, canceller, [&](int speaker, const ExchangeOutcome& outcome) {
        printer.PrintTurn(state, speaker);
        if (!outcome.Answered() && !options.m_quiet) {
            const std::string warning = TurnWarning("jabbery-cli", state, state.m_turnsTaken,
                                                    speaker, outcome, warnings_to_terminal);
            std::fputs(warning.c_str(), stderr);
        }
        if (options.m_jsonlPath &&
            !jsonl.AddTurn(state, state.m_turnsTaken, speaker, outcome, error)) {
            std::fprintf(stderr, "jabbery-cli: %s\n", error.c_str());
            status = 1;
        }
    });

    StopConversation(state, host, host);
    if (options.m_stats) std::fputs(StatsTable(state, warnings_to_terminal).c_str(), stderr);
    if (host.HadError()) status = 1;
    if (options.m_rtfPath) {
        const std::string rtf_error = WriteNewOutput(*options.m_rtfPath, state.Document());
        if (!rtf_error.empty()) {
            Report(rtf_error);
            status = 1;
        }
    }
    return status;
}
