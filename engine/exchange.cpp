// SPDX-License-Identifier: MIT
#include "engine/exchange.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <system_error>

#include "engine/token_report.h"
#include "platform/plain_file.h"
#include "platform/text_file.h"

namespace jabbery {

namespace {

// The most a reply's leading white space may run to before the reader gives
// up: a bot that floods its file must not stall the turn.
constexpr std::size_t kMaxReplyScan = 64u << 20;

// The exit codes by which a POSIX shell says that a command could not run.
constexpr std::uint32_t kShellNotExecutable = 126;
constexpr std::uint32_t kShellNotFound = 127;

// True when the stream holds exactly `expected` and nothing more.
bool HoldsExactly(std::istream& stream, const std::string& expected) {
    std::string head(expected.size() + 1, '\0');
    stream.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(stream.gcount()));
    return head == expected;
}

// The outcome as far as the run alone tells it; kAnswered when the run
// ended well and the message file has to tell the rest.
ExchangeOutcome FromRun(RunResult run) {
    ExchangeOutcome outcome;
    outcome.m_elapsed = run.m_elapsed;
    outcome.m_outputTail = std::move(run.m_outputTail);
    switch (run.m_end) {
        case RunEnd::kStartFailed:
            outcome.m_end = ExchangeEnd::kCouldNotStart;
            outcome.m_reason = std::system_category().message(static_cast<int>(run.m_code));
            break;
        case RunEnd::kCancelled:
            outcome.m_end = ExchangeEnd::kCancelled;
            break;
        case RunEnd::kTimedOut:
            outcome.m_end = ExchangeEnd::kTimedOut;
            break;
        case RunEnd::kSignalled:
            outcome.m_end = ExchangeEnd::kSignalled;
            outcome.m_code = static_cast<int>(run.m_code) - 128;
            break;
        case RunEnd::kExited:
            if (run.m_code == kShellNotExecutable || run.m_code == kShellNotFound) {
                outcome.m_end = ExchangeEnd::kCouldNotStart;
                outcome.m_code = static_cast<int>(run.m_code);
                outcome.m_reason =
                    run.m_code == kShellNotFound ? "command not found" : "command not executable";
            } else if (run.m_code != 0) {
                outcome.m_end = ExchangeEnd::kExited;
                outcome.m_code = static_cast<int>(run.m_code);
            }
            break;
    }
    return outcome;
}

}  // namespace

ExchangeResult InvokeBot(const BotProfile& bot, const CPlainString& message,
                         const RunLimits& limits) {
    ExchangeResult result;
    ExchangeOutcome& outcome = result.m_outcome;
    const auto started_at = std::chrono::system_clock::now();
    outcome.m_startedAt = started_at;
    const std::string written = MessageFileText(bot.m_name.Str(), message.Str());

    std::string error;
    std::shared_ptr<const BotFolder> folder = bot.m_openFolder;
    if (!folder) folder = BotFolder::Open(bot.m_folder.Str(), error);
    if (folder && error.empty()) error = folder->WhyUnusable();
    if (!error.empty()) {
        outcome.m_end = ExchangeEnd::kUnusableFile;
        outcome.m_reason = error;
        return result;
    }
    // The bot answers one conversation at a time; waiting for another one
    // uses up this exchange's time.
    const auto waiting_since = std::chrono::steady_clock::now();
    const UniqueFd taken = folder->Take(limits.m_limit, limits.m_canceller, error);
    if (!taken.IsOpen()) {
        const bool cancelled = limits.m_canceller != nullptr && limits.m_canceller->IsCancelled();
        outcome.m_end = cancelled ? ExchangeEnd::kCancelled : ExchangeEnd::kCouldNotStart;
        outcome.m_reason = error;
        return result;
    }
    RunLimits run_limits = limits;
    run_limits.m_limit -= std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - waiting_since);
    run_limits.m_limit = std::max(run_limits.m_limit, std::chrono::milliseconds(1));
    // Only a report of what this turn cost may count as the turn's.
    ClearTokenReport(folder->Fd());
    // A fresh file, so that nothing the bot left under the name (a link, a
    // pipe, another name for an outside file) can redirect the write. When
    // that is impossible the bot is not run: it would answer nothing.
    if (!CreateFreshFile(folder->Fd(), kMessageFileName, written, error)) {
        outcome.m_end = ExchangeEnd::kUnusableFile;
        outcome.m_reason = std::string(kMessageFileName) + " cannot be written: " + error;
        return result;
    }

    // The command line is handed to the shell as it stands; the folder is
    // never pasted into shell text, it only becomes the working directory.
    outcome =
        FromRun(RunHiddenAt(bot.m_command.Str(), folder->Fd(), run_limits, bot.m_environment));
    outcome.m_startedAt = started_at;

    // Read back from the folder the bot was given, whatever now has its name.
    PlainFileReader reader;
    if (!reader.Open(folder->Fd(), kMessageFileName, error)) {
        if (outcome.Answered()) {
            outcome.m_end = ExchangeEnd::kUnusableFile;
            outcome.m_reason = std::string(kMessageFileName) + " cannot be read back: " + error;
        }
    } else {
        if (outcome.Answered() && HoldsExactly(reader.Stream(), written)) {
            outcome.m_end = ExchangeEnd::kNotRewritten;
        }
        reader.Rewind();
        result.m_reply = ReadReply(reader.Stream(), '\n');
    }
    DeleteFileQuietly(folder->Fd(), kMessageFileName);
    outcome.m_tokens = TakeTokenReport(folder->Fd());
    // A folder moved away or replaced during the turn is no longer the bot's.
    // That is the cause of whatever else the message file then showed.
    const bool run_ended_well = outcome.Answered() || outcome.m_end == ExchangeEnd::kUnusableFile ||
                                outcome.m_end == ExchangeEnd::kNotRewritten;
    if (const std::string why = folder->WhyUnusable(); !why.empty() && run_ended_well) {
        outcome.m_end = ExchangeEnd::kUnusableFile;
        outcome.m_reason = why;
    }
    // An unusable message file passes on an empty line, whatever was read from it.
    if (outcome.m_end == ExchangeEnd::kUnusableFile) result.m_reply = CPlainString();
    return result;
}

CPlainString ReadReply(std::istream& stream, char delimiter) {
    std::string reply;
    std::size_t scanned = 0;
    std::istream::int_type c = stream.get();
    // isspace in the "C" locale: blank, tab, LF, VT, FF, CR.
    while (stream.good() && std::isspace(static_cast<unsigned char>(c)) &&
           ++scanned < kMaxReplyScan) {
        c = stream.get();
    }
    // Nothing after the kept characters is ever used, so reading stops one
    // byte after them: enough to tell whether the cut splits a character.
    while (stream.good() && c != static_cast<unsigned char>(delimiter) &&
           reply.size() <= kMaxReplyLength && ++scanned < kMaxReplyScan) {
        if (c != '\r') reply.push_back(static_cast<char>(c));
        c = stream.get();
    }
    return CPlainString(CutReply(std::move(reply)));
}

}  // namespace jabbery
