// SPDX-License-Identifier: MIT
#include "share/export_format.h"

#include <algorithm>
#include <filesystem>

namespace jabbery {

std::optional<ExportFormat> ExportFormatOfPath(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (extension.empty()) return std::nullopt;
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ExportFormatNamed(std::string_view(extension).substr(1));
}

}  // namespace jabbery
