#pragma once

#include <istream>

#include "engine/plain_string.h"
#include "platform/run_hidden.h"

namespace jabbery {

// The message file in a bot's folder through which every exchange runs.
inline constexpr const char* kMessageFileName = "chat.msg";

// The longest reply kept; the rest of the reply line is dropped.
inline constexpr std::size_t kMaxReplyLength = 1999;

// What one exchange needs of a bot: a copy, so that an exchange can run on a
// worker thread while the roster stays with the window.
struct BotProfile {
    CPlainString m_folder;   // ends with "/"
    CPlainString m_name;     // line 1 of the message file
    CPlainString m_command;  // run by /bin/sh -c in m_folder
};

// Runs one exchange: writes the message file (the bot's name, then
// `message`, each ending in CR LF), runs the bot's command hidden within the
// limits, reads the reply back and deletes the message file. Never fails:
// whatever the bot does, some text comes back.
CPlainString InvokeBot(const BotProfile& bot, const CPlainString& message, const RunLimits& limits);

// Reads a reply: skips leading white space, then takes characters up to
// `delimiter` or the end of the stream, dropping every CR. At most
// kMaxReplyLength characters are kept.
CPlainString ReadReply(std::istream& stream, char delimiter);

}  // namespace jabbery
