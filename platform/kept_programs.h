// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace jabbery {

// Programs a bot keeps running between its turns, on request. Everything a
// turn starts is ended after it (bot_keeper_posix.h); a bot that wants a
// program to live on (an interactive interpreter that remembers, a helper
// slow to load) asks the conversation's host of kept programs through the
// local socket named by JABBERY_KEEP. The host, a process of Jabbery's
// forked for one conversation, starts the program in the bot's folder with
// a socket as its standard input and output (its standard error goes to
// /dev/null), and hands the bot the other end of that socket. The program
// lives until the conversation ends, it is unused for the idle time, or
// Jabbery goes (even by kill -9: the host sees its link hang up); what it
// starts goes with it. A request is one message: "keep", NAME, then the
// program and its arguments (found on PATH), each ending in NUL, carrying
// the bot's folder as a descriptor. The answer is one message, "running",
// "started", "restarted" (a program kept under that name before had ended)
// or "error: " and why, carrying the connection unless it is an error.
// Programs are kept per bot folder and NAME; a different command under the
// same NAME ends the old program and starts the new one.

// The environment variable that names the socket.
inline constexpr const char* kKeepSocketVariable = "JABBERY_KEEP";

// The host of one conversation's kept programs, seen from Jabbery.
class KeepHost {
  public:
    KeepHost() = default;
    ~KeepHost();  // Stop()
    KeepHost(const KeepHost&) = delete;
    KeepHost& operator=(const KeepHost&) = delete;

    // Starts the host listening at `socket_path`, a new name in the
    // conversation's runtime folder (runtime_folder.h), which the host
    // removes when it ends; it ends a program unused for `idle`, and kept
    // programs start with Jabbery's environment plus `environment`
    // ("NAME=value" entries). False with a message for the user.
    bool Start(const std::string& socket_path, std::chrono::milliseconds idle,
               const std::vector<std::string>& environment, std::string& error);

    // Ends every kept program and everything they started, then the host;
    // returns once they are gone.
    void Stop();

    pid_t Host() const { return m_host; }

  private:
    UniqueFd m_link;  // the host ends all when this hangs up
    pid_t m_host = -1;
};

// How a kept program came to answer a request.
enum class KeptStart { kRunning, kStarted, kRestarted };

// A connection to a kept program, or why there is none.
struct KeptProgram {
    UniqueFd m_connection;  // its standard input and output
    KeptStart m_start = KeptStart::kRunning;
    std::string m_error;  // set when there is no connection
};

// Asks the host at `socket_path` for the program kept under `name` for the
// bot in `folder`, starting `command` there when none runs. Waits at most
// `patience` for the answer.
KeptProgram AskToKeep(const std::string& socket_path, const std::string& name,
                      const std::vector<std::string>& command, const std::string& folder = ".",
                      std::chrono::milliseconds patience = std::chrono::seconds(10));

}  // namespace jabbery
