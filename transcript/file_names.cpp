// SPDX-License-Identifier: MIT
#include "transcript/file_names.h"

#include <ctime>
#include <filesystem>

#include "platform/local_time.h"

namespace jabbery {

std::string IsoDateText(const ClockSource& now) {
    std::tm local{};
    if (!ToLocalTime(now(), local)) return "0000-00-00";
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d", &local));
}

std::string SuggestedTranscriptName(const std::string& extension, const ClockSource& now) {
    return "Jabbery transcript " + IsoDateText(now) + extension;
}

std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
    const std::filesystem::path name = std::filesystem::path(path).filename();
    return name.empty() || name.has_extension() ? path : path + extension;
}

}  // namespace jabbery
