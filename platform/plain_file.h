// SPDX-License-Identifier: MIT
#pragma once

#include <istream>
#include <memory>
#include <string>

#include "platform/unique_fd.h"

namespace jabbery {

// Creates `name` in the folder open as `folder_fd` afresh holding
// `content`. Whatever a bot left under that name goes first: a file or link
// is unlinked, an empty folder removed. The new file is then created
// exclusively and without following links, so nothing left under the name
// can redirect the write to another file. Returns false with `error` saying
// why in words, to follow "<name> cannot be written: " ("No space left on
// device"); a folder with content is never removed, and nothing outside the
// folder is ever touched.
bool CreateFreshFile(int folder_fd, const std::string& name, const std::string& content,
                     std::string& error);

// Reads a file that a bot wrote, only when it is a regular file with a
// single link: a pipe would block, a device never end, and a link lead to
// a file that is not the bot's.
class PlainFileReader {
  public:
    PlainFileReader();
    ~PlainFileReader();
    PlainFileReader(const PlainFileReader&) = delete;
    PlainFileReader& operator=(const PlainFileReader&) = delete;

    // Opens `path`; false with `error` in words when it is missing, is not
    // a regular file, has other links, or cannot be read.
    bool Open(const std::string& path, std::string& error);
    // Opens `name` in the folder open as `folder_fd`, likewise.
    bool Open(int folder_fd, const std::string& name, std::string& error);

    // The file's bytes from the current position; Rewind goes back to the start.
    std::istream& Stream();
    void Rewind();

  private:
    class Buffer;
    UniqueFd m_fd;
    std::unique_ptr<Buffer> m_buffer;
    std::istream m_stream;
};

}  // namespace jabbery
