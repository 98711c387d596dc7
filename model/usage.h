// SPDX-License-Identifier: MIT
// What a chat-model bot has spent: the tokens its server reported and the
// calls it answered, counted for the bot's folder across every conversation
// in model.usage, one JSON object {"calls":N,"tokens":N}. The file is never
// trimmed, so a token budget in model.conf holds for the folder's lifetime.
#pragma once

#include <filesystem>
#include <string>

namespace jabbery::model {

inline constexpr const char* kUsageFile = "model.usage";

struct Usage {
    long long tokens = 0;
    long long calls = 0;
};

// Reads model.usage in `folder`; no file yet reads as nothing spent. A file
// that is damaged, or anything but a plain file of the bot's own (a link, a
// file with another hard link), is not read as zero: false, with `error`
// saying so and what to do, and the file left as it is.
bool ReadUsage(const std::filesystem::path& folder, Usage& usage, std::string& error);

// Counts one more call of `tokens` in `usage` and writes it to model.usage in
// `folder` in one step, readable by its owner only. False with `error` set
// when it cannot be written.
bool RecordCall(const std::filesystem::path& folder, long long tokens, Usage& usage,
                std::string& error);

}  // namespace jabbery::model
