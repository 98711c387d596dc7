// SPDX-License-Identifier: MIT
#include <signal.h>
#include <termios.h>

#include "platform/terminal_modes.h"

namespace jabbery {

namespace {

// Plain globals, so that a signal handler can read them: the descriptor is
// set last and cleared first, and read once there.
termios g_saved{};
volatile sig_atomic_t g_savedFd = -1;

}  // namespace

SavedTerminalModes::SavedTerminalModes(int fd) {
    // tcgetattr fails on anything but a terminal: then there is nothing to keep.
    if (::tcgetattr(fd, &g_saved) == 0) g_savedFd = fd;
}

SavedTerminalModes::~SavedTerminalModes() {
    RestoreSavedTerminalModes();
    g_savedFd = -1;
}

void RestoreSavedTerminalModes() {
    const int fd = g_savedFd;
    // TCSADRAIN: what was written before is shown under the old modes.
    if (fd >= 0) ::tcsetattr(fd, TCSADRAIN, &g_saved);
}

}  // namespace jabbery
