// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <system_error>

#include "platform/bot_folder.h"

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

}  // namespace jabbery
