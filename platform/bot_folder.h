// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/unique_fd.h"

namespace jabbery {

class RunCanceller;

// A bot's folder, opened once when the bot is loaded. Every file of an
// exchange is opened relative to it and the bot runs in it, so whatever
// later takes the folder's name (a link the bot put there, to a folder of
// the user's) is never read, written or entered.
class BotFolder {
  public:
    // Opens the folder `path` names now (a link to it, the user's choice, is
    // followed). Null, with `why` in words, when it cannot be opened.
    static std::shared_ptr<const BotFolder> Open(const std::string& path, std::string& why);

    // The open folder, for the *at system calls.
    int Fd() const { return m_fd.Get(); }

    // Empty while the folder still exists and its name still leads to it;
    // otherwise why not, in words ("the bot's folder is gone", ...).
    std::string WhyUnusable() const;

    // Takes the folder for one exchange: an exclusive lock on the folder
    // itself (no file is added to it), held until the returned descriptor
    // closes, so that two conversations sharing a bot never mix their
    // messages. Waits at most `patience` for another conversation to let it
    // go, less when `canceller` fires; then no descriptor, and `why` says so.
    UniqueFd Take(std::chrono::milliseconds patience, const RunCanceller* canceller,
                  std::string& why) const;

  private:
    BotFolder(UniqueFd fd, std::string path) : m_fd(std::move(fd)), m_path(std::move(path)) {}

    UniqueFd m_fd;
    std::string m_path;
};

}  // namespace jabbery
