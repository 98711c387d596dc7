#include <cstdio>

#include "cli/conversation_printer.h"
#include "cli/options.h"
#include "cli/output_paths.h"
#include "cli/terminal_host.h"
#include "cli/turn_loop.h"
#include "engine/conversation.h"
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
    if (!ParseCliOptions({argv + 1, argv + argc}, options, error)) return Fail(error);
    if (options.m_help) {
        std::fputs(CliUsage().c_str(), stdout);
        return 0;
    }
    if (options.m_version) {
        std::printf("jabbery-cli %s\n", kVersion);
        return 0;
    }
    const int count = static_cast<int>(options.m_botFolders.size());
    if (!IsValidBotCount(count)) return Fail(BotCountError(count) + " (see --help)");
    for (const std::string& folder : options.m_botFolders) {
        if (FindDescriptor(folder).empty()) {
            return Fail(folder + ": no vorn.nfo in this folder; it is not a bot's folder");
        }
    }
    if (const std::string problem = CheckOutputTargets(OutputTargets(options)); !problem.empty()) {
        return Fail(problem);
    }

    // Ctrl-C and SIGTERM: the turn in flight ends (its bot's group is
    // killed), the conversation stops there and is saved, within kStopGrace.
    RunCanceller canceller;
    InstallStopSignals(canceller, kStopGrace);
    if (options.m_seed) std::srand(*options.m_seed);

    const bool colour = IsTerminal(stdout) && std::getenv("NO_COLOR") == nullptr;
    ConversationPrinter printer(stdout, colour);
    TerminalHost host(options.m_botFolders, options.m_savePath);
    ConversationState state;
    state.m_botCount = count;
    if (!LoadRoster(state, state, host, host, count)) return 2;
    StartConversation(state, host, host);
    printer.PrintIntroductions(state);

    const TurnLoopSettings settings{options.m_interval, options.m_timeout, options.m_turns};
    RunTurnLoop(state, host, settings, canceller,
                [&](int speaker, const ExchangeOutcome&) { printer.PrintTurn(state, speaker); });

    StopConversation(state, host, host);
    int status = host.HadError() ? 1 : 0;
    if (options.m_rtfPath) {
        const std::string rtf_error = WriteNewOutput(*options.m_rtfPath, state.Document());
        if (!rtf_error.empty()) {
            Report(rtf_error);
            status = 1;
        }
    }
    return status;
}
