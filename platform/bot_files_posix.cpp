// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>

#include "platform/bot_files.h"
#include "platform/unique_fd.h"
#include "platform/write_all.h"

namespace jabbery {
namespace {

// So many damaged copies mean something keeps damaging the file; more help no one.
constexpr int kMaxSetAside = 100;

std::string ErrorText(int error) {
    // system_category().message is the thread-safe form of strerror.
    return std::system_category().message(error);
}

// Why an open with O_NOFOLLOW refused a name, in words.
std::string OpenFailure(int error) {
    return error == ELOOP    ? "it is a symbolic link"
           : error == ENXIO  ? "it is not a regular file"
           : error == ENOENT ? "it is missing"
                             : "it cannot be opened: " + ErrorText(error);
}

}  // namespace

bool IsOwnFile(int fd, std::string& why) {
    struct stat info {};
    // fstat looks at the file actually opened, so nothing can be swapped in
    // between the check and the use.
    if (::fstat(fd, &info) != 0) {
        why = "it cannot be examined: " + ErrorText(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        why = S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file";
        return false;
    }
    // No link left: it was removed between its open and this look. A
    // second link would make it also a file elsewhere, perhaps one of the
    // user's outside the folder.
    if (info.st_nlink != 1) {
        why = info.st_nlink == 0 ? "it was removed as it was opened" : "it has another hard link";
        return false;
    }
    return true;
}

bool StaysInsideFolder(const std::filesystem::path& relative) {
    if (relative.empty() || relative.has_root_path()) return false;
    for (const auto& part : relative) {
        if (part == "..") return false;
    }
    return true;
}

BotFileRead ReadBotFile(const std::filesystem::path& folder, const std::filesystem::path& relative,
                        std::size_t max_bytes, std::string& content, std::string& why) {
    if (!StaysInsideFolder(relative)) {
        why = "it is not inside the bot's folder";
        return BotFileRead::kUnusable;
    }
    // The folder itself is the user's choice and may be reached through a
    // link; below it, each step is opened without following one.
    const std::filesystem::path start = folder.empty() ? "." : folder;
    UniqueFd at(::open(start.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int failure = at.IsOpen() ? 0 : errno;
    for (const auto& part : relative.parent_path()) {
        if (failure != 0 || part == ".") continue;
        UniqueFd next(
            ::openat(at.Get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        // errno is taken before the step above is closed.
        if (!next.IsOpen()) failure = errno;
        at = std::move(next);
    }
    if (failure != 0) {
        why = failure == ELOOP ? "a folder on its way is a symbolic link" : OpenFailure(failure);
        return failure == ENOENT ? BotFileRead::kMissing : BotFileRead::kUnusable;
    }
    // O_NONBLOCK keeps a FIFO without a writer from blocking the open (the
    // type check then refuses it); O_NOCTTY keeps a terminal from becoming ours.
    UniqueFd fd(::openat(at.Get(), relative.filename().c_str(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        const int error = errno;
        why = OpenFailure(error);
        return error == ENOENT ? BotFileRead::kMissing : BotFileRead::kUnusable;
    }
    if (!IsOwnFile(fd.Get(), why)) return BotFileRead::kUnusable;
    content.clear();
    char buffer[16 * 1024];
    // Read until the end rather than trust the size: the file may grow meanwhile.
    while (content.size() <= max_bytes) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            why = "it cannot be read: " + ErrorText(errno);
            return BotFileRead::kUnusable;
        }
        if (got == 0) return BotFileRead::kRead;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    why = "it is larger than " + std::to_string(max_bytes / 1024) + " KiB";
    return BotFileRead::kUnusable;
}

bool AppendToBotFile(const std::filesystem::path& path, std::string_view text, std::string& why) {
    // O_APPEND puts every write after the last byte; O_NOFOLLOW refuses a
    // link and O_NONBLOCK a FIFO without a reader; a new file is the owner's only.
    UniqueFd fd(::open(
        path.c_str(),
        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600));
    if (!fd.IsOpen()) {
        why = OpenFailure(errno);
        return false;
    }
    if (!IsOwnFile(fd.Get(), why)) return false;
    int failure = AppendWhole(fd.Get(), text);
    // close is checked too: some file systems report a failed write only there.
    if (::close(fd.Release()) != 0 && errno != EINTR && failure == 0) failure = errno;
    if (failure != 0) why = "it cannot be written: " + ErrorText(failure);
    return failure == 0;
}

std::filesystem::path SetAside(const std::filesystem::path& path, std::string& why) {
    for (int number = 1; number <= kMaxSetAside; ++number) {
        std::filesystem::path aside = path;
        aside += number == 1 ? std::string(".bad") : ".bad." + std::to_string(number);
        // RENAME_NOREPLACE fails on a taken name instead of replacing what
        // is there; the name is moved as it is, a link included.
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
            return aside;
        }
        if (errno != EEXIST) {
            why = ErrorText(errno);
            return {};
        }
    }
    why = std::to_string(kMaxSetAside) + " damaged copies are there already";
    return {};
}

}  // namespace jabbery
