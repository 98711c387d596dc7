// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace jabbery {

// What a conversation can be exported as.
enum class ExportFormat { kHtml, kMarkdown, kText, kRtf };

// A format with its name (also its file name extension) and its label in a
// file chooser's type list.
struct ExportFormatInfo {
    ExportFormat m_format;
    const char* m_name;
    const char* m_label;
};

// Every format, in the order a file chooser offers them.
inline constexpr ExportFormatInfo kExportFormats[] = {
    {ExportFormat::kHtml, "html", "HTML page"},
    {ExportFormat::kMarkdown, "md", "Markdown"},
    {ExportFormat::kText, "txt", "Text"},
    {ExportFormat::kRtf, "rtf", "RTF document"},
};

// The format called `name` ("html", "md", "txt", "rtf"), or none.
inline std::optional<ExportFormat> ExportFormatNamed(std::string_view name) {
    for (const ExportFormatInfo& info : kExportFormats) {
        if (name == info.m_name) return info.m_format;
    }
    return std::nullopt;
}

// The format a file name's extension names (".html", ".MD", ...), or none.
std::optional<ExportFormat> ExportFormatOfPath(const std::string& path);

}  // namespace jabbery
