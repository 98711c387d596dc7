// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

#include "platform/growing_file.h"
#include "transcript/clock_text.h"
#include "values/plain_string.h"

namespace jabbery {

// How many kept conversations stay in the folder; older ones are removed.
inline constexpr std::size_t kKeptConversations = 20;

// Where conversations are kept as they grow: $XDG_STATE_HOME/jabbery/
// conversations, else ~/.local/state/jabbery/conversations; empty when
// neither variable is set.
std::string ConversationsFolder();

// Keeps the plain transcript on disk as it grows, in the bytes a save would
// write to a new file (the banner, then the transcript), so closing without
// saving, a crash or a power cut loses at most the turn in flight.
class TranscriptAutosave {
  public:
    // Starts the file `<start time>-<pid>.txt` in `folder` with the banner
    // and `plain_text` so far, then removes the oldest files beyond
    // kKeptConversations. False with `error` in words when it cannot.
    bool Start(const std::string& folder, const CPlainString& plain_text, const ClockSource& now,
               std::string& error);

    // Appends what `plain_text` has gained since the last call that
    // worked, all of it or nothing: what cannot be written now (a full
    // disk) is tried again at the next call, so the file never ends in half
    // a line and catches up once there is room. False while the file is
    // behind; `error` is set only when it falls behind, not at every call.
    bool Update(const CPlainString& plain_text, std::string& error);

    bool IsActive() const { return m_file.IsOpen() && !m_failed; }
    const std::string& Path() const { return m_file.Path(); }

  private:
    GrowingFile m_file;
    std::size_t m_written = 0;  // bytes of the transcript already in the file
    bool m_failed = false;      // Start failed: nothing is kept
    bool m_behind = false;      // the last Update could not write
};

}  // namespace jabbery
