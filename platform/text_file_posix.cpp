// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string_view>
#include <system_error>

#include "platform/text_file.h"
#include "platform/unique_fd.h"
#include "platform/write_all.h"

namespace jabbery {

namespace {

// Flags shared by both ways of opening: no descriptor leaks into a bot that
// runs meanwhile; a FIFO without a reader fails at once (ENXIO) instead of
// blocking the program; a terminal device does not become ours.
constexpr int kOpenFlags = O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;

// Opens `path` for appending, or creates it, with `mode`, when there is no
// such file. Returns the descriptor (or -1 with errno set), and whether the
// file was there.
int OpenForAppend(const std::string& path, bool& existed, mode_t mode = 0666) {
    existed = true;
    // O_APPEND without O_CREAT: succeeds only for a file that exists, and every
    // write lands after its last byte. Never O_TRUNC: nothing already there is lost.
    int fd = ::open(path.c_str(), kOpenFlags | O_APPEND);
    if (fd >= 0 || errno != ENOENT) return fd;
    existed = false;
    // O_EXCL: create only if still absent, so a file made in between is never
    // treated as ours to start afresh; O_APPEND here too, so that a write
    // taken back (AppendWhole) leaves the next one at the end.
    fd = ::open(path.c_str(), kOpenFlags | O_APPEND | O_CREAT | O_EXCL, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
    // Someone created it between the two opens: it exists now, append to it.
    existed = true;
    return ::open(path.c_str(), kOpenFlags | O_APPEND);
}

std::string SaveError(const std::string& path, int error) {
    // system_category().message is the thread-safe form of strerror.
    return "Could not save to " + path + ": " + std::system_category().message(error);
}

// A temporary name that is unlinked when it goes out of scope.
class TemporaryName {
  public:
    explicit TemporaryName(std::string path) : m_path(std::move(path)) {}
    ~TemporaryName() {
        // The content, if linked, lives on under its real name.
        ::unlink(m_path.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;

  private:
    std::string m_path;
};

// Whether the regular file `path` has bytes after its last line feed. False
// for an empty file, or one that is not there, not regular or not readable.
bool EndsInsideLine(const std::string& path) {
    // O_NONBLOCK: a FIFO of that name must not hold us up waiting for a writer.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat status {};
    if (!fd.IsOpen() || ::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size == 0)
        return false;
    char last = '\n';
    // pread: the last byte alone, whatever the file's size.
    return ::pread(fd.Get(), &last, 1, status.st_size - 1) == 1 && last != '\n';
}

}  // namespace

AppendResult AppendOrCreateFile(const std::string& path, const std::string& separator_if_existed,
                                const std::string& content) {
    AppendResult result;
    const int fd = OpenForAppend(path, result.m_existed);
    if (fd < 0 && errno == ENOENT && result.m_existed) {
        // The name exists yet cannot be opened or created: a symbolic link
        // whose target is missing (O_EXCL never creates through a link).
        result.m_error =
            "Could not save to " + path + ": it is a symbolic link to a file that does not exist";
        return result;
    }
    if (fd < 0) {
        result.m_error = SaveError(path, errno);
        return result;
    }
    // O_NONBLOCK was only for the open; writes should wait like any file's.
    // Should this fail, a FIFO's write may report EAGAIN, still an error, not a hang.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);

    UniqueFd file(fd);
    struct stat status {};
    // Only a regular file: a FIFO whose reader never reads would block the
    // write for ever, a device might never end it.
    int error = ::fstat(fd, &status) != 0 ? errno : S_ISREG(status.st_mode) ? 0 : EINVAL;
    if (error == EINVAL) {
        result.m_error = "Could not save to " + path + ": it is not a regular file";
        return result;
    }
    // One append, whole or nothing: a full disk never leaves half a transcript.
    if (error == 0)
        error = AppendWhole(fd, (result.m_existed ? separator_if_existed : "") + content);
    // A file made for this save that stays empty goes again, unless another
    // file has taken its name meanwhile.
    struct stat named {};
    if (error != 0 && !result.m_existed && ::stat(path.c_str(), &named) == 0 &&
        named.st_dev == status.st_dev && named.st_ino == status.st_ino) {
        ::unlink(path.c_str());
    }
    // close is checked too: some file systems report a failed write only there.
    // EINTR from close on Linux still closes the descriptor, and nothing was lost.
    if (::close(file.Release()) != 0 && errno != EINTR && error == 0) error = errno;
    if (error != 0) {
        result.m_error = SaveError(path, error);
        return result;
    }
    result.m_ok = true;
    return result;
}

void DeleteFileQuietly(int folder_fd, const std::string& name) {
    // unlinkat without flags takes files, links, pipes and sockets, never a
    // folder (EISDIR), in one call; any failure leaves the entry as it was.
    ::unlinkat(folder_fd, name.c_str(), 0);
}

bool AppendingFile::Open(const std::string& path, std::string& error, FileAccess access) {
    bool existed = false;
    m_path = path;
    m_endLineFirst = EndsInsideLine(path);
    m_fd = UniqueFd(OpenForAppend(path, existed, access == FileAccess::kOwnerOnly ? 0600 : 0666));
    if (!m_fd.IsOpen()) {
        error = SaveError(path, errno);
        return false;
    }
    // O_NONBLOCK was only for the open (a FIFO without a reader fails it).
    ::fcntl(m_fd.Get(), F_SETFL, ::fcntl(m_fd.Get(), F_GETFL) & ~O_NONBLOCK);
    // A shared lock for as long as the file is open says it is in use, so
    // the pruning of old conversations (PruneOldFiles) leaves it be. Others
    // may append too: none of them takes an exclusive lock to write.
    ::flock(m_fd.Get(), LOCK_SH | LOCK_NB);
    return true;
}

bool AppendingFile::Append(std::string_view text, std::string& error) {
    const std::string ended = m_endLineFirst ? "\n" + std::string(text) : std::string();
    const int failure =
        m_fd.IsOpen() ? AppendWhole(m_fd.Get(), m_endLineFirst ? ended : text) : EBADF;
    if (failure != 0) error = SaveError(m_path, failure);
    if (failure == 0) m_endLineFirst = false;
    return failure == 0;
}

AppendResult CreateNewFile(const std::string& path, const std::string& content) {
    // O_TMPFILE: a file in that folder with no name yet, so that nothing
    // half-written ever shows, even when we are killed while writing.
    UniqueFd fd(::open(FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    int error = fd.IsOpen() ? 0 : errno;
    std::string source = "/proc/self/fd/" + std::to_string(fd.Get());
    std::optional<TemporaryName> temporary;
    if (error == EOPNOTSUPP || error == EISDIR) {
        // The file system has no unnamed files: a temporary name beside it,
        // created exclusively and without following a link planted there.
        source = path + ".jabbery-" + std::to_string(::getpid()) + ".tmp";
        fd = UniqueFd(
            ::open(source.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        error = fd.IsOpen() ? 0 : errno;
        if (error == 0) temporary.emplace(source);
    }
    if (error == 0) error = WriteAll(fd.Get(), content);
    // Synced before it gets its name: once the name is there, the file is whole.
    if (error == 0 && ::fdatasync(fd.Get()) != 0) error = errno;
    // A hard link fails with EEXIST rather than replace what is there; the
    // unnamed file is linked through its /proc entry, which needs the
    // descriptor still open.
    if (error == 0 &&
        ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        error = errno;
    }
    AppendResult result;
    result.m_existed = error == EEXIST;
    result.m_ok = error == 0;
    if (result.m_existed) {
        result.m_error = "Could not save to " + path + ": a file of that name is already there";
    } else if (error != 0) {
        result.m_error = SaveError(path, error);
    }
    return result;
}

}  // namespace jabbery
