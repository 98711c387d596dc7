// SPDX-License-Identifier: MIT
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

#include <string>

namespace jabbery {

// What a started child does between its start and running its program.
class SpawnFileActions {
  public:
    SpawnFileActions() : m_error(posix_spawn_file_actions_init(&m_actions)) {}
    ~SpawnFileActions() {
        if (m_error == 0) posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;

    // Zero, or the error number of the first step that could not be set up.
    int Error() const { return m_error; }
    posix_spawn_file_actions_t* Get() { return &m_actions; }

    void ChangeFolder(const std::string& folder) {
        // A bot runs in its own folder, where its message file lives; a
        // folder that cannot be entered makes posix_spawn fail with that errno.
        Add(posix_spawn_file_actions_addchdir_np(&m_actions, folder.c_str()));
    }
    void ChangeFolder(int folder_fd) {
        // The folder as it was opened: whatever now has its name (a link
        // put in its place) is not entered.
        Add(posix_spawn_file_actions_addfchdir_np(&m_actions, folder_fd));
    }
    void OpenNull(int fd, int flags) {
        // Hidden: no terminal to read from; nothing it reads can hang it.
        Add(posix_spawn_file_actions_addopen(&m_actions, fd, "/dev/null", flags, 0));
    }
    void DuplicateTo(int fd, int target_fd) {
        // The child reads or writes a pipe of ours there instead.
        Add(posix_spawn_file_actions_adddup2(&m_actions, fd, target_fd));
    }
    void CloseFrom(int lowest_fd) {
        // Not one of our descriptors (files, sockets, other bots' pidfds) leaks
        // into the child, also those opened by other code without O_CLOEXEC.
        Add(posix_spawn_file_actions_addclosefrom_np(&m_actions, lowest_fd));
    }

  private:
    void Add(int error) {
        if (m_error == 0) m_error = error;
    }

    posix_spawn_file_actions_t m_actions;
    int m_error;
};

// How the child starts: its process group and its signals.
class SpawnAttributes {
  public:
    SpawnAttributes() : m_error(posix_spawnattr_init(&m_attributes)) {}
    ~SpawnAttributes() {
        if (m_error == 0) posix_spawnattr_destroy(&m_attributes);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    int Error() const { return m_error; }
    posix_spawnattr_t* Get() { return &m_attributes; }

    enum Grouping {
        kOwnGroup,    // a process group of its own, in our session
        kOwnSession,  // a session of its own, without a controlling terminal
    };

    void SetUp(Grouping grouping = kOwnGroup) {
        if (m_error != 0) return;
        sigset_t no_signals;
        sigemptyset(&no_signals);
        sigset_t all_signals;
        sigfillset(&all_signals);
        // Their dispositions cannot be set; some C libraries fail the start over it.
        sigdelset(&all_signals, SIGKILL);
        sigdelset(&all_signals, SIGSTOP);
        // A group of its own: Ctrl-C at our terminal does not reach the child,
        // and the child with everything it started can be killed as one.
        Add(posix_spawnattr_setpgroup(&m_attributes, 0));
        // Signals blocked by the calling thread stay blocked across exec; the
        // child starts with none blocked.
        Add(posix_spawnattr_setsigmask(&m_attributes, &no_signals));
        // Ignored signals stay ignored across exec (a SIGPIPE ignored by us
        // would be ignored by the child); the child starts with the defaults.
        // (glibc still leaves its two internal signals, 32 and 33, ignored;
        // programs that use them install their own handlers at start.)
        Add(posix_spawnattr_setsigdefault(&m_attributes, &all_signals));
        // A session of its own leads a group of its own too, and has no
        // terminal it could take over: opening /dev/tty fails.
        const short group_flag =
            grouping == kOwnSession ? POSIX_SPAWN_SETSID : POSIX_SPAWN_SETPGROUP;
        Add(posix_spawnattr_setflags(&m_attributes,
                                     group_flag | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
    }

  private:
    void Add(int error) {
        if (m_error == 0) m_error = error;
    }

    posix_spawnattr_t m_attributes;
    int m_error;
};

}  // namespace jabbery
