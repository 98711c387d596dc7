// SPDX-License-Identifier: MIT
#pragma once

#include <ctime>
#include <string>

#include "engine/recorded_conversation.h"
#include "platform/text_file.h"
#include "share/export_format.h"

namespace jabbery {

// `record` written out as `format` says. The text export is the plain
// transcript a save writes, under a banner dated `banner_time`; the RTF
// export is the coloured document; HTML and Markdown show every text as
// text (valid UTF-8, nothing in it read as markup).
std::string ExportConversation(const RecordedConversation& record, ExportFormat format,
                               std::time_t banner_time);

// Writes `document` to `path`, which must not exist: a file (or anything)
// of that name is never replaced, and nothing is written then (m_existed
// says so). When !m_ok, m_error is a line for the user saying why nothing
// was written.
AppendResult WriteNewExport(const std::string& path, const std::string& document);

}  // namespace jabbery
