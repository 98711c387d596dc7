// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/bot_folder.h"
#include "platform/run_hidden.h"
#include "values/bot_protocol.h"
#include "values/plain_string.h"

namespace jabbery {

// What one exchange needs of a bot: a copy, so that an exchange can run on a
// worker thread while the conversation stays on the front-end's thread.
struct BotProfile {
    CPlainString m_folder;   // ends with "/"
    CPlainString m_name;     // line 1 of the message file
    CPlainString m_command;  // run by /bin/sh -c in m_folder
    // m_folder as opened when the bot was loaded; null: opened at the exchange.
    std::shared_ptr<const BotFolder> m_openFolder = nullptr;
    // What the bot is told of the conversation: "NAME=value" entries added
    // to its environment (Conversation::NextExchange).
    std::vector<std::string> m_environment = {};
};

// How an exchange ended: exactly one kind, the first that applies in this order.
enum class ExchangeEnd {
    kCouldNotStart,  // no process ran, or the shell said 126 (not executable) or 127 (not found)
    kCancelled,      // stopped on request; its reply is not a line of the conversation
    kTimedOut,       // the limit passed and the bot was stopped
    kSignalled,      // the bot's shell was killed by signal m_code
    kExited,         // the bot's shell exited with the non-zero code m_code
    kUnusableFile,   // the message file could not be written or read back, or the
                     // bot's folder is gone or was replaced (m_reason)
    kNotRewritten,   // the message file still holds exactly what was written to it
    kAnswered,       // the bot rewrote its message file and ended well in time
};

// Everything known about how one exchange went, beside its reply.
struct ExchangeOutcome {
    ExchangeEnd m_end = ExchangeEnd::kAnswered;
    int m_code = 0;        // exit code or signal number, as m_end says
    std::string m_reason;  // in words, for kCouldNotStart and kUnusableFile
    std::chrono::system_clock::time_point m_startedAt;  // when the exchange began
    std::chrono::milliseconds m_elapsed{0};             // how long the bot ran
    std::string m_outputTail;            // the last bytes the bot wrote to stdout or stderr
    std::optional<TokenCount> m_tokens;  // what the turn cost, when the bot said so

    bool Answered() const { return m_end == ExchangeEnd::kAnswered; }
};

// A reply and how the exchange that gave it ended.
struct ExchangeResult {
    CPlainString m_reply;
    ExchangeOutcome m_outcome;
};

// Runs one exchange in the bot's open folder: writes the message file afresh (the bot's name, then
// `message`, each ending in CR LF), runs the bot's command hidden within the
// limits, reads the reply back and deletes the message file. Whatever the
// bot does, some text comes back: what the file's first line with text
// then held, or empty text when it could not be written or read or the
// folder was gone or replaced (kUnusableFile).
ExchangeResult InvokeBot(const BotProfile& bot, const CPlainString& message,
                         const RunLimits& limits);

// Reads a reply: skips leading white space, then takes characters up to
// `delimiter` or the end of the stream, dropping every CR. At most
// kMaxReplyLength bytes are kept, cut as CutReply cuts.
CPlainString ReadReply(std::istream& stream, char delimiter);

}  // namespace jabbery
