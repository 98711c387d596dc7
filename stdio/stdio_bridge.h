// SPDX-License-Identifier: MIT
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "values/bot_protocol.h"

namespace jabbery {

// Reads the first two lines of a message file, by the line rules of
// ParseMessageFile; nothing after them is read.
BotMessage ReadBotMessage(std::istream& file);

// Picks the answer out of a command's standard output as it arrives: the
// first line that holds more than blanks. Leading blanks are dropped, as
// Jabbery drops them from an answer anyway; only as many bytes are kept as
// the answer may have, so a command printing without end costs no memory.
class AnswerLine {
  public:
    // Takes the next bytes of output; true once the answer line is complete
    // and nothing more needs to be read.
    bool Feed(std::string_view bytes);

    // The output has ended: a last line without a line end counts too.
    // True when there is an answer.
    bool Finish();

    // The answer as the message file's new content: at most kMaxReplyLength
    // bytes, never ending inside a UTF-8 sequence, without a trailing CR,
    // followed by CR LF.
    std::string ProtocolBytes() const;

  private:
    std::string m_line;
    bool m_complete = false;
};

// How a bridged exchange ended: the exit status for jabbery-stdio and, when
// it did not answer, a one-line note for its standard error.
struct StdioOutcome {
    int m_exitCode = 0;
    std::string m_note;
};

// Runs `command` (a program and its arguments, found on PATH) for the
// message file `message_file`: its line 2 goes to the command's standard
// input, both lines into JABBERY_MESSAGE and JABBERY_NAME; the command's
// first non-blank output line replaces the file's content. The command and
// everything it started are ended once the answer is read, and always
// reaped. Without an answer the file is left as it was and the outcome
// carries the command's status (1 for no output, 127 when it could not be
// run, 128 + N for signal N; 2 when the message file cannot be used).
// SIGINT, SIGTERM and SIGHUP end the command too. Sets process-wide state
// (SIGPIPE ignored, environment, signal mask): for jabbery-stdio's main only.
StdioOutcome RunStdioBridge(const std::vector<std::string>& command,
                            const std::string& message_file);

}  // namespace jabbery
