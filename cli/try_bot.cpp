// SPDX-License-Identifier: MIT
#include "cli/try_bot.h"

#include <algorithm>

#include "cli/check_report.h"
#include "engine/bot_check.h"
#include "engine/bot_descriptor.h"
#include "engine/conversation.h"
#include "engine/conversation_runtime.h"
#include "engine/exchange.h"
#include "engine/model_bot_check.h"
#include "engine/outcome_text.h"
#include "platform/terminal_filter.h"

namespace jabbery {

namespace {

// What jabbery-model writes when its endpoint answers "not found".
constexpr std::string_view kNotFoundAnswer = "HTTP 404 from ";

// What the exchange of `bot` suggests its author should look at, each a line.
std::vector<std::string> Hints(const BotProfile& bot, const ExchangeOutcome& outcome) {
    const std::string& folder = bot.m_folder.Str();
    std::vector<std::string> hints = CutLineProblems(folder);
    const std::string& output = outcome.m_outputTail;
    if (outcome.m_end == ExchangeEnd::kNotRewritten &&
        output.find_first_not_of(" \t\r\n") != std::string::npos) {
        hints.push_back(std::string("the bot printed the output above but left ") +
                        kMessageFileName +
                        " as it was; if that is its answer, run it through "
                        "jabbery-stdio, which writes what a program prints to " +
                        kMessageFileName + " (see jabbery-stdio(1))");
    }
    if (IsChatModelBot(folder, bot.m_command.Str()) &&
        output.find(kNotFoundAnswer) != std::string::npos) {
        hints.push_back(
            "the chat-model server answered 404 (not found): check the /v1 part of the endpoint "
            "in model.conf (most servers want it, as in http://127.0.0.1:11434/v1)");
    }
    return hints;
}

}  // namespace

int TryBot(const std::string& folder, const std::string& message,
           std::chrono::milliseconds time_limit, std::chrono::milliseconds idle, std::FILE* out,
           bool for_terminal) {
    std::string why;
    std::optional<Participant> found = ReadBot(folder, &why);
    if (!found) {
        std::fprintf(stderr, "jabbery-cli: %s\n", NoBotInFolderText(folder, why).c_str());
        return 2;
    }
    Conversation conversation;
    ConversationRuntime runtime(ConversationId());
    std::string error;
    if (!runtime.Open(idle, error)) {
        std::fprintf(stderr, "jabbery-cli: %s; the bot is not given a log or kept programs\n",
                     error.c_str());
    }
    conversation.AddObserver(runtime.Log());
    conversation.SetBotEnvironment(runtime.Environment());
    conversation.Join(std::move(*found));
    const BotProfile bot = conversation.NextExchange();
    const ExchangeResult result = InvokeBot(bot, message, RunLimits{time_limit, nullptr});
    const auto shown = [&](const std::string& text) {
        return for_terminal ? ForTerminal(text) : text;
    };
    std::string report = "reply:   " + shown(result.m_reply.Str()) + "\n" +
                         "outcome: " + shown(OutcomeText(result.m_outcome)) + "\n" +
                         "time:    " + std::to_string(result.m_outcome.m_elapsed.count()) + " ms\n";
    const std::string& tail = result.m_outcome.m_outputTail;
    report += tail.empty() ? "output:  (none)\n" : "output:\n";
    // All of the kept output, line by line, each filtered on its own.
    for (std::size_t start = 0; start < tail.size();) {
        const std::size_t end = std::min(tail.find('\n', start), tail.size());
        report += "  " + shown(tail.substr(start, end - start)) + "\n";
        start = end + 1;
    }
    for (const std::string& hint : Hints(bot, result.m_outcome)) {
        report += "hint:    " + shown(hint) + "\n";
    }
    std::fwrite(report.data(), 1, report.size(), out);
    return result.m_outcome.Answered() ? 0 : 1;
}

}  // namespace jabbery
