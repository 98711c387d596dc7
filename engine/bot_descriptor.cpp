// SPDX-License-Identifier: MIT
#include "engine/bot_descriptor.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/text_file.h"

namespace jabbery {

namespace {

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

}  // namespace

std::string FindDescriptor(const std::string& folder, std::string* why) {
    const std::string exact = folder + "/" + kDescriptorName;
    std::error_code error;
    if (std::filesystem::is_regular_file(exact, error)) return exact;
    // Descriptors copied from systems that ignore letter case are often
    // called VORN.NFO or Vorn.nfo; take the first such file in name order so
    // the choice does not depend on the directory's order.
    std::string found;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!EqualsIgnoringCase(name, kDescriptorName)) continue;
        std::error_code type_error;
        if (!entry.is_regular_file(type_error)) continue;
        if (found.empty() || entry.path().string() < found) found = entry.path().string();
    }
    // A folder that is not there has no descriptor; one that cannot be
    // listed (too many open files, no permission) is another matter.
    if (why != nullptr && error && error != std::errc::no_such_file_or_directory &&
        error != std::errc::not_a_directory) {
        *why = "the folder cannot be listed: " + error.message();
    }
    return found;
}

bool ReadDescriptorLines(const std::string& path, std::size_t max_kept,
                         std::array<std::string, 4>& lines, std::string& why) {
    // errno is what the C++ library leaves of a failed open or read.
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    std::string head(kMaxDescriptorRead, '\0');
    if (file) file.read(head.data(), static_cast<std::streamsize>(head.size()));
    if (!file && !file.eof()) {
        why = std::string(kDescriptorName) +
              " cannot be read: " + std::system_category().message(errno != 0 ? errno : EIO);
        return false;
    }
    head.resize(static_cast<std::size_t>(file.gcount()));
    std::istringstream stream(head);
    for (std::string& line : lines) line = ReadTextLine(stream, max_kept);
    return true;
}

std::string FolderAsPromptGivesIt(const std::string& folder) {
    std::error_code ignored;
    std::filesystem::path path = std::filesystem::absolute(folder, ignored).lexically_normal();
    std::string text = path.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

std::optional<Participant> ReadBot(const CPlainString& folder, std::string* why) {
    const std::string path = FindDescriptor(folder.Str(), why);
    if (path.empty()) return std::nullopt;
    std::array<std::string, 4> lines;
    std::string unreadable;
    if (!ReadDescriptorLines(path, kMaxDescriptorLine, lines, unreadable)) {
        if (why != nullptr) *why = unreadable;
        return std::nullopt;
    }
    Participant bot;
    bot.m_name = lines[3];
    bot.m_folder = folder + "/";
    bot.m_command = lines[2];
    return bot;
}

}  // namespace jabbery
