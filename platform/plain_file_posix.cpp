// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <streambuf>
#include <string_view>
#include <system_error>

#include "platform/bot_files.h"
#include "platform/plain_file.h"
#include "platform/write_all.h"

namespace jabbery {

namespace {

std::string ErrorText(int error) {
    // system_category().message is the thread-safe form of strerror.
    return std::system_category().message(error);
}

// Removes whatever entry `path` names, without following a link and without
// ever removing content: a file, link, pipe or socket is unlinked, an empty
// folder removed. Returns 0 or the error number.
int RemoveEntry(int folder_fd, const std::string& name) {
    // unlink removes the name itself, never what a link points to.
    if (::unlinkat(folder_fd, name.c_str(), 0) == 0 || errno == ENOENT) return 0;
    // Linux says EISDIR for a folder; AT_REMOVEDIR removes it only when it is empty.
    if (errno == EISDIR) return ::unlinkat(folder_fd, name.c_str(), AT_REMOVEDIR) == 0 ? 0 : errno;
    return errno;
}

// Creates `path` exclusively and without following a link; -1 with errno set
// when it cannot, EEXIST when something is there under the name.
int CreateExclusively(int folder_fd, const std::string& name) {
    // O_EXCL with O_CREAT fails rather than open anything there, and
    // O_NOFOLLOW refuses a link planted there; close-on-exec keeps the
    // descriptor out of bots started meanwhile.
    return ::openat(folder_fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666);
}

}  // namespace

void UniqueFd::Reset() {
    // Nothing useful can be done about a failed close here; callers that
    // must know whether their writes arrived close explicitly first.
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool CreateFreshFile(int folder_fd, const std::string& name, const std::string& content,
                     std::string& error) {
    // Usually the name is free (the last exchange deleted its file), so the
    // creation is tried first and what is there removed only when it fails.
    UniqueFd fd(CreateExclusively(folder_fd, name));
    if (!fd.IsOpen() && errno == EEXIST) {
        if (const int removed = RemoveEntry(folder_fd, name); removed != 0) {
            error = removed == ENOTEMPTY || removed == EEXIST
                        ? "it is a folder with files in it"
                        : "what is there cannot be removed: " + ErrorText(removed);
            return false;
        }
        // Whatever appeared again in between is refused, not opened.
        fd = UniqueFd(CreateExclusively(folder_fd, name));
    }
    if (!fd.IsOpen()) {
        error = ErrorText(errno);
        return false;
    }
    int failure = WriteAll(fd.Get(), content);
    // The close is checked too: some file systems report a failed write only there.
    if (::close(fd.Release()) != 0 && errno != EINTR && failure == 0) failure = errno;
    if (failure != 0) {
        error = ErrorText(failure);
        return false;
    }
    return true;
}

// A read buffer over a descriptor, so the file can be read as a stream.
class PlainFileReader::Buffer : public std::streambuf {
  public:
    void Attach(int fd) {
        m_fd = fd;
        m_fills = 0;
        setg(nullptr, nullptr, nullptr);
    }

    // Goes back to the file's first byte without reading it again, when the
    // buffer still holds it (a file no longer than the buffer); false when not.
    bool RewindInPlace() {
        if (m_fills > 1) return false;
        setg(eback(), eback(), egptr());
        return true;
    }

  protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        ssize_t got = 0;
        do {
            got = ::read(m_fd, m_bytes.data(), m_bytes.size());
        } while (got < 0 && errno == EINTR);
        if (got <= 0) return traits_type::eof();
        ++m_fills;
        setg(m_bytes.data(), m_bytes.data(), m_bytes.data() + got);
        return traits_type::to_int_type(*gptr());
    }

  private:
    int m_fd = -1;
    int m_fills = 0;  // how often the buffer was filled since Attach
    // Left uninitialised: only what read() put there is ever looked at.
    std::array<char, 64 * 1024> m_bytes;
};

PlainFileReader::PlainFileReader()
    // For overwrite: zeroing the 64 KiB buffer cost more than the whole read-back.
    : m_buffer(std::make_unique_for_overwrite<Buffer>()), m_stream(m_buffer.get()) {}

PlainFileReader::~PlainFileReader() = default;

bool PlainFileReader::Open(const std::string& path, std::string& error) {
    return Open(AT_FDCWD, path, error);
}

bool PlainFileReader::Open(int folder_fd, const std::string& name, std::string& error) {
    // O_NOFOLLOW refuses a symbolic link; O_NONBLOCK keeps a FIFO without a
    // writer from blocking the open (the type check below then refuses it).
    m_fd =
        UniqueFd(::openat(folder_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!m_fd.IsOpen()) {
        error = errno == ENOENT  ? "it is missing"
                : errno == ELOOP ? "it is a symbolic link"
                                 : "it cannot be opened: " + ErrorText(errno);
        return false;
    }
    // The file actually opened is looked at, so nothing can be swapped in
    // between the check and the read.
    if (!IsOwnFile(m_fd.Get(), error)) return false;
    // O_NONBLOCK stays: reading a regular file never blocks anyway.
    m_buffer->Attach(m_fd.Get());
    m_stream.clear();
    return true;
}

std::istream& PlainFileReader::Stream() {
    return m_stream;
}

void PlainFileReader::Rewind() {
    if (!m_buffer->RewindInPlace()) {
        // Back to the first byte, with the stream's buffer reset.
        ::lseek(m_fd.Get(), 0, SEEK_SET);
        m_buffer->Attach(m_fd.Get());
    }
    m_stream.clear();
}

}  // namespace jabbery
