// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/growing_file.h"
#include "platform/write_all.h"

namespace jabbery {
namespace {

std::string ErrorText(const std::string& path, int error) {
    return "Could not keep the transcript in " + path + ": " +
           std::system_category().message(error);
}

// Whether `path` may be removed: it is not there, or no one else holds a
// lock on it; the lock taken stays in `lock` until the caller lets it go.
bool LockForRemoval(const std::filesystem::path& path, UniqueFd& lock) {
    // O_NONBLOCK: a FIFO of that name must not block the open.
    lock = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!lock.IsOpen()) return errno == ENOENT;
    return ::flock(lock.Get(), LOCK_EX | LOCK_NB) == 0;
}

}  // namespace

bool GrowingFile::Create(const std::string& folder, const std::string& name, std::string& error) {
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) {
        error = ErrorText(folder, made.value());
        return false;
    }
    m_path = folder + "/" + name;
    // O_EXCL: a file of that name, however it came there, is never taken
    // over; the transcript is the user's own, so only they may read it.
    // O_APPEND: a write cut short can be taken back with ftruncate alone.
    UniqueFd fd(::open(m_path.c_str(),
                       O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600));
    if (!fd.IsOpen()) {
        error = ErrorText(m_path, errno);
        return false;
    }
    // The lock lasts as long as the descriptor, also when the program is
    // killed: the kernel drops it with the process.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        error = ErrorText(m_path, errno);
        return false;
    }
    m_fd = std::move(fd);
    return true;
}

bool GrowingFile::Append(const std::string& bytes, std::string& error) {
    // Through the descriptor made at Create, never by name again: whatever
    // is put in the file's place later (a link, another file) is not ours.
    // Synced, so a crash after this returns loses none of it.
    const int failure = m_fd.IsOpen() ? AppendWhole(m_fd.Get(), bytes, true) : EBADF;
    if (failure != 0) error = ErrorText(m_path, failure);
    return failure == 0;
}

int CurrentProcessId() {
    return static_cast<int>(::getpid());
}

void PruneOldFiles(const std::string& folder, std::size_t keep) {
    namespace fs = std::filesystem;
    std::error_code failed;
    std::vector<std::pair<fs::file_time_type, fs::path>> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, failed)) {
        std::error_code ignored;
        if (entry.path().extension() == ".txt" && entry.is_regular_file(ignored)) {
            files.emplace_back(entry.last_write_time(ignored), entry.path());
        }
    }
    if (failed || files.size() <= keep) return;
    std::sort(files.begin(), files.end(), std::greater<>());
    for (std::size_t i = keep; i < files.size(); ++i) {
        const fs::path log = fs::path(files[i].second).replace_extension(".jsonl");
        // A file whose lock we cannot take is still being written by its
        // window; a log, also by a window that continues its conversation.
        UniqueFd transcript;
        UniqueFd log_lock;
        if (!LockForRemoval(files[i].second, transcript) || !transcript.IsOpen() ||
            !LockForRemoval(log, log_lock))
            continue;
        // Removed while we hold the locks, so no window can take them up
        // meanwhile; the JSON Lines log, when there is one, goes with its transcript.
        ::unlink(files[i].second.c_str());
        ::unlink(log.c_str());
    }
}

bool IsBeingWritten(const std::string& path) {
    UniqueFd lock;
    return !LockForRemoval(path, lock);
}

}  // namespace jabbery
