// SPDX-License-Identifier: MIT
#pragma once

namespace jabbery {

// Keeps a terminal's modes (echo, line buffering, signal keys) as they were
// when made, and puts them back when it goes, whatever changed them in the
// meantime (a line editor that left raw mode on). While one lives, a stop
// signal that ends the program puts them back too (see stop_signals.h), so
// the shell never gets a terminal that does not echo. One at a time; a
// descriptor that is not a terminal keeps nothing.
class SavedTerminalModes {
  public:
    explicit SavedTerminalModes(int fd);
    ~SavedTerminalModes();
    SavedTerminalModes(const SavedTerminalModes&) = delete;
    SavedTerminalModes& operator=(const SavedTerminalModes&) = delete;
};

// Puts back the modes a SavedTerminalModes keeps, when one lives.
// Async-signal-safe: a signal handler calls it just before the program ends.
void RestoreSavedTerminalModes();

}  // namespace jabbery
