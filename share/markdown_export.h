// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "engine/recorded_conversation.h"

namespace jabbery {

// `record` as Markdown that reads well on code forges: a heading with the
// participants, the stop rules and why it ended, then one paragraph a
// turn with the speaker's name in bold, a failed turn followed by its
// outcome in italics. Every character Markdown or HTML would act on is
// escaped, so each text shows as it was said.
std::string MarkdownExport(const RecordedConversation& record);

}  // namespace jabbery
