// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

#include "platform/unique_fd.h"

namespace jabbery {

// A file that one running program writes as a record grows (the window's
// transcript kept on disk). It is created exclusively, so two programs never
// share one, and stays locked while this object lives, so PruneOldFiles in
// another program leaves it alone.
class GrowingFile {
  public:
    // Creates `folder` (with its parents) and in it the new file `name`.
    // False with `error` in words when the folder cannot be made or the
    // file cannot be created, also when a file of that name exists.
    bool Create(const std::string& folder, const std::string& name, std::string& error);

    // Adds `bytes` at the end, all of them or none (a full disk), through
    // the descriptor Create opened, and waits until they are on the disk,
    // so a crash or power cut after this returns loses none of them.
    bool Append(const std::string& bytes, std::string& error);

    bool IsOpen() const { return m_fd.IsOpen(); }
    const std::string& Path() const { return m_path; }

  private:
    UniqueFd m_fd;  // holds the lock
    std::string m_path;
};

// This program's process id, which tells its files from other programs'.
int CurrentProcessId();

// Removes the oldest `*.txt` files of `folder` until `keep` are left, newest
// by modification time kept, each with the `*.jsonl` file of the same name.
// A file another program holds locked (being written) is never removed;
// other kinds of files are never touched.
void PruneOldFiles(const std::string& folder, std::size_t keep);

// Whether another program (or object) writes `path` now: holds it locked as
// a GrowingFile or an AppendingFile does.
bool IsBeingWritten(const std::string& path);

}  // namespace jabbery
