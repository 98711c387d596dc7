// SPDX-License-Identifier: MIT
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "platform/runtime_folder.h"
#include "platform/unique_fd.h"

namespace jabbery {

namespace {

std::string ErrorText(int error) {
    return std::system_category().message(error);
}

// The folder all runtime folders go in, made when missing. Empty with
// `error` set when it cannot be had or is not private to us.
std::string BaseFolder(std::string& error) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string base;
    if (runtime != nullptr && runtime[0] == '/') {
        base = std::string(runtime) + "/jabbery";
    } else {
        const char* temp = std::getenv("TMPDIR");
        base = std::string(temp != nullptr && temp[0] == '/' ? temp : "/tmp") + "/jabbery-" +
               std::to_string(::getuid());
    }
    // 0700: only we may enter it; an existing one is checked below.
    if (::mkdir(base.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot make the folder " + base + ": " + ErrorText(errno);
        return "";
    }
    struct stat info {};
    // lstat: a link planted under the name (in a shared /tmp) is refused, not followed.
    if (::lstat(base.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & 077) != 0) {
        error = base + " is not a folder that only you may use; remove it and try again";
        return "";
    }
    return base;
}

// Removes the folders in `base` whose program has died without removing them.
void RemoveLeftovers(const std::string& base) {
    DIR* folder = ::opendir(base.c_str());
    if (folder == nullptr) return;
    std::vector<std::string> leftovers;
    while (const dirent* entry = ::readdir(folder)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        // kill with no signal only asks whether the process is there.
        if (pid > 0 && *end == '.' && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            leftovers.push_back(base + "/" + entry->d_name);
        }
    }
    ::closedir(folder);
    for (const std::string& leftover : leftovers) RemoveRuntimeFolder(leftover);
}

}  // namespace

bool RuntimeFolder::Create(std::string& error) {
    const std::string base = BaseFolder(error);
    if (base.empty()) return false;
    RemoveLeftovers(base);
    std::string path = base + "/" + std::to_string(::getpid()) + ".XXXXXX";
    // mkdtemp makes a folder of a name no one has, mode 0700.
    if (::mkdtemp(path.data()) == nullptr) {
        error = "cannot make a folder in " + base + ": " + ErrorText(errno);
        return false;
    }
    m_path = std::move(path);
    m_owner = static_cast<int>(::getpid());
    return true;
}

RuntimeFolder::~RuntimeFolder() {
    Remove();
}

void RuntimeFolder::Remove() {
    // A child forked from us (the keeper, a kept programs' host) leaves it alone.
    if (m_path.empty() || m_owner != static_cast<int>(::getpid())) return;
    RemoveRuntimeFolder(m_path);
    m_path.clear();
}

void MakeReadOnly(const std::string& path) {
    // Permissions only guard the next open; ours is open already.
    ::chmod(path.c_str(), S_IRUSR);
}

void RemoveRuntimeFolder(const std::string& folder) {
    // O_NOFOLLOW: a link in its place is not followed into another folder.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    DIR* entries = ::fdopendir(fd);
    if (entries == nullptr) {
        ::close(fd);
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(entries)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    // unlinkat relative to the folder as opened, whatever now has its name.
    for (const std::string& name : names) ::unlinkat(fd, name.c_str(), 0);
    ::closedir(entries);
    ::rmdir(folder.c_str());
}

}  // namespace jabbery
