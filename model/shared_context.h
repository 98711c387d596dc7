// SPDX-License-Identifier: MIT
// What a chat-model bot sees of the conversation it is in: the latest
// turns of the log Jabbery hands every exchange (JABBERY_LOG), with who
// said each, and who takes part (JABBERY_PARTICIPANTS).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace jabbery::model {

// One line of the conversation: who said it (a bot or a human) and what.
struct SharedLine {
    std::string speaker;
    std::string text;
};

struct SharedContext {
    std::vector<std::string> participants;  // as Jabbery names them
    std::vector<SharedLine> lines;          // the latest turns, oldest first
};

// Reads the log at `log` (JSON Lines, one object a turn, among other
// records): the last `count` turns that carry a line, a bot's answer or a
// human's, dropping the oldest until their texts hold at most `max_chars`
// characters (the newest is always kept). False with `error` when the log
// cannot be read.
bool ReadSharedLines(const std::filesystem::path& log, int count, int max_chars,
                     std::vector<SharedLine>& lines, std::string& error);

// The names in JABBERY_PARTICIPANTS (tab-separated).
std::vector<std::string> SplitParticipants(const std::string& names);

}  // namespace jabbery::model
