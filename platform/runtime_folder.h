// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace jabbery {

// A folder of one conversation's files that its bots may read (the log of
// the conversation so far, the socket through which they ask to keep a
// program), private to the user: in $XDG_RUNTIME_DIR/jabbery/, or in
// $TMPDIR/jabbery-UID/ (TMPDIR defaults to /tmp) when that is unset, each
// mode 0700 and refused when someone else owns it or may enter it. Each
// folder's name begins with the pid of the program that made it, so that
// the folders of programs that died without removing theirs (kill -9) are
// removed the next time one is made.
class RuntimeFolder {
  public:
    RuntimeFolder() = default;
    ~RuntimeFolder();  // Remove()
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

    // Makes a fresh folder; false with a message for the user.
    bool Create(std::string& error);

    // The folder, without a trailing "/"; empty before Create.
    const std::string& Path() const { return m_path; }

    // Removes the folder and the files in it; only the process that made it does.
    void Remove();

  private:
    std::string m_path;
    int m_owner = -1;
};

// Takes every permission but the owner's reading from the file `path`:
// a descriptor already open for writing goes on writing.
void MakeReadOnly(const std::string& path);

// Removes `folder` and the entries directly in it (the runtime folder holds no folders).
void RemoveRuntimeFolder(const std::string& folder);

}  // namespace jabbery
