#include <csignal>
#include <cstdio>
#include <fstream>

#include "cli/conversation_printer.h"
#include "cli/options.h"
#include "cli/terminal_host.h"
#include "engine/bundled_bots.h"
#include "engine/conversation.h"
#include "platform/run_hidden.h"
#include "platform/terminal.h"
#include "values/version_notice.h"

namespace {

using jabbery::RunCanceller;

RunCanceller* g_canceller = nullptr;

// Ctrl-C and SIGTERM: the turn in flight ends (its bot's group is killed)
// and the conversation stops there. Cancel only writes to a descriptor.
extern "C" void OnStopSignal(int) {
    if (g_canceller != nullptr) g_canceller->Cancel();
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "jabbery-cli: %s\n", message.c_str());
    return 2;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
    file.close();
    return !file.fail();
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
        std::fputs(VersionNotice("jabbery-cli").c_str(), stdout);
        return 0;
    }
    if (!ResolveBotArguments(options.m_botFolders, error)) return Fail(error);
    const int count = static_cast<int>(options.m_botFolders.size());
    if (!IsValidBotCount(count)) return Fail(BotCountError(count) + " (see --help)");
    for (const std::string& folder : options.m_botFolders) {
        if (FindDescriptor(folder).empty()) {
            return Fail(folder + ": no vorn.nfo in this folder; it is not a bot's folder");
        }
    }

    RunCanceller canceller;
    g_canceller = &canceller;
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    if (options.m_seed) std::srand(*options.m_seed);

    const bool colour = IsTerminal(stdout) && std::getenv("NO_COLOR") == nullptr;
    ConversationPrinter printer(stdout, colour);
    TerminalHost host(options.m_botFolders, options.m_savePath);
    ConversationState state;
    state.m_botCount = count;
    if (!LoadRoster(state, host, count)) return 2;
    StartConversation(state, host);
    printer.PrintIntroductions(state);

    const RunLimits limits{options.m_timeout, &canceller};
    using Clock = std::chrono::steady_clock;
    Clock::time_point next_tick = Clock::now() + options.m_interval;
    for (long long turn = 0; !options.m_turns || turn < *options.m_turns; ++turn) {
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(next_tick - Clock::now());
        if (canceller.WaitFor(std::max(wait, std::chrono::milliseconds(0)))) break;
        // Ticks do not pile up: after a long turn the next starts at once,
        // then the rhythm resumes from there.
        next_tick = std::max(next_tick, Clock::now()) + options.m_interval;
        printer.PrintTurn(state, [&] { RunTurn(state, host, limits); });
        if (canceller.IsCancelled()) break;
    }

    StopConversation(state, host);
    int status = host.HadError() ? 1 : 0;
    if (options.m_rtfPath && !WriteWholeFile(*options.m_rtfPath, state.Document())) {
        std::fprintf(stderr, "jabbery-cli: could not write the rich-text transcript to %s\n",
                     options.m_rtfPath->c_str());
        status = 1;
    }
    return status;
}
