// SPDX-License-Identifier: MIT
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "engine/recorded_conversation.h"

namespace jabbery {

// Reads a conversation back from its JSON Lines log (JsonlLog): the header
// when there is one (older logs have none: the participants then come from
// the turns and the `joined` records), every turn with its outcome as the
// exchange ended, who joined and left, and the last end record (a log
// continued later holds one per run). A line that is not a record of ours
// is skipped, and `problems` gets one line for it: "line 7: ...". Keys it
// does not know are ignored. A file that holds more than one conversation
// (runs appended to one log) gives its first; `problems` names the line
// where each other one starts.
RecordedConversation ReadConversationLog(std::istream& in, std::vector<std::string>& problems);

// As above, from the file at `path`; none, with `error` naming the file
// and the cause, when it cannot be read.
std::optional<RecordedConversation> ReadConversationLog(const std::string& path,
                                                        std::vector<std::string>& problems,
                                                        std::string& error);

}  // namespace jabbery
