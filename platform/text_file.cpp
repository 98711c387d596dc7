// SPDX-License-Identifier: MIT
#include "platform/text_file.h"

namespace jabbery {

bool WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
    // Binary mode: the line ends are written exactly as given, CR LF.
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines) {
        file << line << kLineEnd;
    }
    // close flushes the buffer; a write that failed only then shows in the stream state.
    file.close();
    return !file.fail();
}

std::string ReadTextLine(std::istream& stream, std::size_t max_kept) {
    using Traits = std::istream::traits_type;
    std::string line;
    char character = 0;
    while (stream.get(character)) {
        if (character == '\n') break;
        // A CR directly before the line feed belongs to the line end, any other is text.
        if (character == '\r' && stream.peek() == Traits::to_int_type('\n')) {
            stream.get();
            break;
        }
        if (line.size() < max_kept) line += character;
    }
    return line;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace jabbery
