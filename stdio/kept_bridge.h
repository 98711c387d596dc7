// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "stdio/kept_answer.h"
#include "stdio/stdio_bridge.h"

namespace jabbery {

// Runs an exchange through a program kept for the conversation
// (kept_programs.h): asks Jabbery's host, through JABBERY_KEEP, for the
// program `command` kept for this bot, started when none runs (a fresh
// start's output is dropped up to `options.m_skipUntil`; one that had ended
// is said on standard error), hands it line 2 of `message_file` and writes
// its answer (KeptAnswer) there. The program lives on after the exchange.
// Without an answer the file is left as it was: 1 when the program ended
// first, 127 when it cannot be kept, 2 when the message file or
// JABBERY_KEEP cannot be used, 128 + N when stopped by signal N.
StdioOutcome RunKeptBridge(const std::vector<std::string>& command, const std::string& message_file,
                           const KeptOptions& options);

// Replaces the content of the message file the bot was handed, refusing a
// link or a file that is no longer plain. False with why.
bool WriteMessageFile(const std::string& path, std::string_view bytes, std::string& error);

}  // namespace jabbery
