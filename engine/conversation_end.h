// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace jabbery {

// Why a conversation ended or stopped.
enum class EndReason {
    kTurns,        // the turns asked for are done
    kTime,         // the time asked for is up
    kStopOn,       // a reply matched the stop pattern
    kLoop,         // the conversation went round in circles
    kNoSpeakers,   // fewer than two bots can speak
    kInterrupted,  // a stop signal (Ctrl-C, SIGTERM, a hang-up)
    kExit,         // the window's Exit
    kClose,        // the window was closed without Exit
    kQuit,         // a human's /quit
};

// The reason and what it is about, in words.
struct ConversationEnd {
    EndReason m_reason = EndReason::kExit;
    std::string m_summary;  // "Hask and Wren repeat themselves"
    std::string m_quote;    // the line concerned, when there is one

    // The summary, then the quoted line: for logs and the terminal.
    std::string Detail() const {
        return m_quote.empty() ? m_summary : m_summary + ": \"" + m_quote + "\"";
    }
};

// The reason as the JSON Lines log writes it: "turns", "time", "stop-on",
// "loop", "no-speakers", "interrupted", "exit", "close", "quit".
const char* EndKey(EndReason reason);

}  // namespace jabbery
