// SPDX-License-Identifier: MIT
#include "share/export.h"

#include "platform/text_file.h"
#include "share/html_export.h"
#include "share/markdown_export.h"
#include "share/transcript_export.h"
#include "transcript/transcript_file.h"

namespace jabbery {

std::string ExportConversation(const RecordedConversation& record, ExportFormat format,
                               std::time_t banner_time) {
    switch (format) {
        case ExportFormat::kHtml:
            return HtmlExport(record);
        case ExportFormat::kMarkdown:
            return MarkdownExport(record);
        case ExportFormat::kText:
            return TranscriptBanner(banner_time) + TranscriptTextsOf(record).m_plainText.Str();
        case ExportFormat::kRtf:
            return TranscriptTextsOf(record).Document();
    }
    return {};
}

AppendResult WriteNewExport(const std::string& path, const std::string& document) {
    // Created whole under a name nothing has, or not at all: a file that is
    // there (or appears meanwhile) is left as it is.
    AppendResult result = CreateNewFile(path, document);
    if (result.m_existed) {
        result.m_error =
            path + ": the file exists, and an export never replaces a file; name a new one";
    }
    return result;
}

}  // namespace jabbery
