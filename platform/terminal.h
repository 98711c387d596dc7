// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <functional>
#include <string_view>

namespace jabbery {

class RunCanceller;

// True when `stream` writes to a terminal (so colour codes make sense there).
bool IsTerminal(std::FILE* stream);

// The columns of the terminal `stream` writes to; 0 when it does not say.
int TerminalColumns(std::FILE* stream);

// Opens /dev/null on each of standard input, output and error that is
// closed, so that the first file the program opens never takes their
// number and receives what was meant for the terminal. Call first in main.
void OpenClosedStandardStreams();

// What stays at the bottom of a terminal under everything written there (a
// line being typed): it is taken away for each write and put back after it.
class KeptLine {
  public:
    virtual ~KeptLine() = default;
    // Runs `write` (which writes whole lines) with the kept line out of the
    // way, then puts it back below; returns what `write` returns.
    virtual bool WriteAbove(const std::function<bool()>& write) = 0;
};

// Standard output or error of a terminal program, written so that a stop is
// never held up by it: while the reader is slow (a pager left alone, a
// stopped terminal), a write waits only until `canceller` fires; after
// that, only what the output takes at once is written and the rest dropped.
class StopAwareOutput {
  public:
    StopAwareOutput(int fd, const RunCanceller& canceller) : m_fd(fd), m_canceller(canceller) {}

    // Writes all of `text` unless a stop comes first. False once a write
    // has failed (then Error() says why, EPIPE when the reader is gone);
    // nothing more is written after that.
    bool Write(std::string_view text);

    // From now on each write goes above `line` (null: no more); `line`
    // outlives this or is unset first.
    void KeepBelow(KeptLine* line) { m_kept = line; }

    int Error() const { return m_error; }

  private:
    bool WriteNow(std::string_view text);

    int m_fd;
    const RunCanceller& m_canceller;
    int m_error = 0;
    KeptLine* m_kept = nullptr;
};

}  // namespace jabbery
