// SPDX-License-Identifier: MIT
#pragma once

namespace jabbery {

// The window a conversation lives in: its turn timer, and its end.
class ConversationWindow {
  public:
    virtual ~ConversationWindow() = default;

    // Starts the periodic timer whose ticks make turns due; StopTurnTimer
    // stops it. The front-end owns the interval.
    virtual void StartTurnTimer() = 0;
    virtual void StopTurnTimer() = 0;

    // Asks the window to close once the current event has been handled.
    virtual void RequestClose() = 0;
};

}  // namespace jabbery
