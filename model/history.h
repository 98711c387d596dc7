// SPDX-License-Identifier: MIT
// The bot's memory: the exchanges it took part in, one JSON object a line in
// model.history.jsonl in its folder, oldest first.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace jabbery::model {

inline constexpr const char* kHistoryFile = "model.history.jsonl";

// The file never keeps more than this many exchanges.
inline constexpr std::size_t kMaxHistoryEntries = 200;

// One exchange: the line the bot was given, what it answered, and the
// conversation it was part of (JABBERY_CONVERSATION; empty when not told).
struct Exchange {
    std::string heard;
    std::string said;
    std::string conversation = {};
};

// What reading the history found.
struct HistoryRead {
    std::vector<Exchange> exchanges;  // oldest first
    std::string warning;              // set when a damaged file was set aside
};

// Reads every exchange of the history file at `path`. A missing file is an
// empty history. A damaged one (a line that is not an exchange), or anything
// that is not a plain file of the bot's own (a link, a file with another
// hard link), is renamed to the first free name of .bad, .bad.2, ... and read
// as empty, with a warning saying so.
HistoryRead ReadHistory(const std::filesystem::path& path);

// Adds `exchange` to the history `earlier` (what ReadHistory returned) at
// `path`: appended as one line, or, once the file would hold more than
// `limit` exchanges, the newest `limit` written to a new file that replaces
// the old one in one step. Neither follows a link; a new file is readable by
// its owner only. Returns false with `error` set on a write failure.
bool AppendHistory(const std::filesystem::path& path, const std::vector<Exchange>& earlier,
                   const Exchange& exchange, std::string& error,
                   std::size_t limit = kMaxHistoryEntries);

}  // namespace jabbery::model
