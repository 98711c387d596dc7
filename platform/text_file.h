// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/unique_fd.h"
#include "platform/whole_file.h"

namespace jabbery {

// The line end of every text file the system writes: CR LF.
inline constexpr const char* kLineEnd = "\r\n";

// Writes `lines` to `path`, each followed by CR LF, creating or truncating
// the file. Returns false when the file cannot be opened or written.
bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

// Reads one line of a text file: up to a line feed, which is consumed; a CR
// directly before the line feed is part of the line end and dropped, any
// other CR is kept. At most `max_kept` characters are kept, the rest of the
// line is skipped. At the end of the stream it yields what it collected, and
// empty text after that.
std::string ReadTextLine(std::istream& stream, std::size_t max_kept);

// The folder part of `path`: "." for a bare name, "/" for a name at the root.
std::string FolderOf(const std::string& path);

// Deletes `name` in the folder open as `folder_fd`; a file that is not
// there, or cannot be deleted, is left be.
void DeleteFileQuietly(int folder_fd, const std::string& name);

// The outcome of AppendOrCreateFile and CreateNewFile.
struct AppendResult {
    bool m_ok = false;
    bool m_existed = false;  // the file was there before (an empty one counts)
    std::string m_error;     // what failed, for the user, when !m_ok
};

// Adds `content` to the end of `path`, or creates the file when there is no
// file of that name. Never truncates: an existing file keeps every byte it
// had, also when it cannot be read. `separator_if_existed` is written first
// when the file was already there. Every write and the close are checked;
// a failure reads "Could not save to <path>: <reason>" in m_error. Only a
// regular file is written to: a FIFO, socket or device is refused, since a
// write there could wait for ever.
AppendResult AppendOrCreateFile(const std::string& path, const std::string& separator_if_existed,
                                const std::string& content);

// A file kept open for adding lines to its end as they come (a log that
// `tail -f` can follow). Opened as AppendOrCreateFile opens: never truncated.
// A file that ends inside a line cut short (a writer killed, a file size
// limit) gets a line end before the first text added, which would otherwise
// be lost in that line.
class AppendingFile {
  public:
    // False with a message for the user in `error` when it cannot be opened.
    // A file it makes is readable as `access` says.
    bool Open(const std::string& path, std::string& error, FileAccess access = FileAccess::kShared);
    // Writes all of `text` at the end; false with a message when it fails.
    bool Append(std::string_view text, std::string& error);

  private:
    std::string m_path;
    UniqueFd m_fd;
    bool m_endLineFirst = false;  // the file ends inside a line cut short
};

// Creates `path` holding `content` only when nothing of that name exists.
// The content goes to a file without a name (or, where the file system has
// none, a temporary name) in the same folder, and is linked in place only
// when all of it is written and synced: a failed write leaves nothing
// behind, and a file created meanwhile under `path` is never replaced
// (m_existed then says so).
AppendResult CreateNewFile(const std::string& path, const std::string& content);

}  // namespace jabbery
