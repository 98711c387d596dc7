// SPDX-License-Identifier: MIT
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/conversation_log_reader.h"
#include "platform/test_processes.h"
#include "platform/test_temp_folder.h"

namespace jabbery::testing {

// How a run of jabbery-cli ended and what it printed.
struct CliOutcome {
    int m_status;
    std::string m_out;
    std::string m_err;
};

// Runs jabbery-cli with `arguments` to completion, capturing its output in
// files "out" and "err" of `root`.
inline CliOutcome RunCli(const TempFolder& root, const std::vector<std::string>& arguments) {
    std::string command = Quote(JABBERY_CLI);
    for (const std::string& argument : arguments) command += " " + Quote(argument);
    command += " > " + Quote(root.File("out")) + " 2> " + Quote(root.File("err"));
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(root.File("out")),
            ReadFile(root.File("err"))};
}

// Starts jabbery-cli with `arguments`, its output to `out` (or nowhere when
// -1), its errors to `err` and its input from `in` (or ours when -1), and
// returns its process id for the test to signal and reap.
inline pid_t StartCli(const std::vector<std::string>& arguments, int out = -1, int err = -1,
                      int in = -1) {
    std::vector<char*> argv{const_cast<char*>(JABBERY_CLI)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.data()));
    argv.push_back(nullptr);
    // A child of our own, so that the test can signal it and wait for it.
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out >= 0 ? out : open("/dev/null", O_WRONLY), 1);  // what it prints is not read
        if (err >= 0) dup2(err, 2);
        if (in >= 0) dup2(in, 0);
        execv(JABBERY_CLI, argv.data());
        _exit(127);  // only when jabbery-cli cannot be run
    }
    return pid;
}

// Waits for a run started by StartCli: its exit status, or -1 when a signal ended it.
inline int WaitForCli(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// "turn: speaker: text" of each turn `log` records.
inline std::vector<std::string> TurnsOf(const std::string& log) {
    std::vector<std::string> problems;
    std::string error;
    const std::optional<RecordedConversation> read = ReadConversationLog(log, problems, error);
    EXPECT_TRUE(read && problems.empty()) << error;
    std::vector<std::string> turns;
    for (const Turn& turn : read ? read->m_turns : std::vector<Turn>()) {
        turns.push_back(std::to_string(turn.m_number) + ": " +
                        read->Find(turn.m_speaker)->m_name.Str() + ": " + turn.m_text.Str());
    }
    return turns;
}

inline std::size_t CountLines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace jabbery::testing
