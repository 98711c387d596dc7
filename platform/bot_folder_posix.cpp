// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "platform/bot_folder.h"
#include "platform/run_hidden.h"

namespace jabbery {

std::shared_ptr<const BotFolder> BotFolder::Open(const std::string& path, std::string& why) {
    // O_PATH: the folder is only entered and looked into, so search
    // permission is all it needs; close-on-exec keeps it out of every bot.
    UniqueFd fd(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        why = "the bot's folder cannot be opened: " + std::system_category().message(errno);
        return nullptr;
    }
    return std::shared_ptr<const BotFolder>(new BotFolder(std::move(fd), path));
}

std::string BotFolder::WhyUnusable() const {
    struct stat opened {};
    struct stat named {};
    // fstat looks at the folder we hold, stat at what its name leads to now.
    if (::fstat(m_fd.Get(), &opened) != 0 || opened.st_nlink == 0) {
        return "the bot's folder is gone";
    }
    if (::stat(m_path.c_str(), &named) != 0) return "the bot's folder is gone from " + m_path;
    if (named.st_dev != opened.st_dev || named.st_ino != opened.st_ino) {
        return "the bot's folder was replaced: " + m_path + " is another folder now";
    }
    return {};
}

UniqueFd BotFolder::Take(std::chrono::milliseconds patience, const RunCanceller* canceller,
                         std::string& why) const {
    // flock needs a descriptor opened for reading; the held one is a path.
    UniqueFd folder(::openat(m_fd.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.IsOpen()) {
        why = "the bot's folder cannot be opened: " + std::system_category().message(errno);
        return UniqueFd();
    }
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (::flock(folder.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            why = "the bot's folder cannot be locked: " + std::system_category().message(errno);
            return UniqueFd();
        }
        const bool cancelled = canceller != nullptr
                                   ? canceller->WaitFor(std::chrono::milliseconds(10))
                                   : (::usleep(10000), false);
        if (cancelled) {
            why = "cancelled";
            return UniqueFd();
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            why = "busy in another conversation";
            return UniqueFd();
        }
    }
    return folder;
}

}  // namespace jabbery
