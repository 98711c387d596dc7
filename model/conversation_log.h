// SPDX-License-Identifier: MIT
// What the bot is told of the conversation it is in: the host's log of it
// (JABBERY_LOG, JSON Lines as jabbery-cli --jsonl writes them) and the names
// of who takes part (JABBERY_PARTICIPANTS, tab-separated).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace jabbery::model {

// One line said in the conversation.
struct SaidLine {
    std::string name;  // who said it, as the descriptors give the names
    std::string text;
};

struct SharedContext {
    std::vector<SaidLine> lines;            // the lines said so far, oldest first
    std::vector<std::string> participants;  // everyone's names, the bot's own included
    std::string from;                       // who said the line the bot answers; empty: the opening
};

// Reads the log at `path` (at most its last 32 MiB) into `context`: the
// lines a human said or a bot answered, in order (a header, failed turns and
// any other or unreadable record are left out); with
// `participants` (tab-separated) or, when that is empty, the names the log
// shows, and `own_name` among them. False with `error` when it cannot be read.
bool ReadSharedContext(const std::filesystem::path& path, const std::string& participants,
                       const std::string& own_name, SharedContext& context, std::string& error);

}  // namespace jabbery::model
