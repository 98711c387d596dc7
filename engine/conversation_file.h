// SPDX-License-Identifier: MIT
// A conversation file, NAME.jabbery: a conversation's set-up in TOML, which
// both programs run and the window writes.
//
//     opening = "Hi!"
//     order = "natural"
//     interval = "2s"
//     seed = 7
//     [stop]
//     turns = 40
//     [[bot]]
//     folder = "eliza"
//     talkativeness = 80
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jabbery {

// The file name ending that marks a conversation file.
inline constexpr std::string_view kConversationFileEnding = ".jabbery";

// One bot of a conversation file, in the order they join.
struct FileBot {
    // As written (a folder, or a bare name such as "hask") when parsed;
    // a relative folder found beside the file is made absolute on reading.
    std::string m_folder;
    std::optional<int> m_talkativeness;  // none: the default
    bool m_muted = false;

    bool operator==(const FileBot&) const = default;
};

// Everything a conversation file sets; whatever it leaves out is absent,
// so a front-end keeps its own default (or its command line's value).
struct ConversationFile {
    std::vector<FileBot> m_bots;
    std::optional<std::string> m_order;  // one of kSpeakingOrders
    std::optional<std::string> m_opening;
    std::optional<std::chrono::milliseconds> m_interval;
    std::optional<std::chrono::milliseconds> m_jitter;
    std::optional<std::chrono::milliseconds> m_timeLimit;  // how long a bot may take
    std::optional<unsigned> m_seed;
    std::optional<std::string> m_humanName;
    // The stop rules ([stop]); each absent when off.
    std::optional<long long> m_turns;
    std::optional<std::chrono::milliseconds> m_for;
    std::optional<std::string> m_stopOn;  // a pattern that compiles
    std::optional<int> m_loop;
    std::optional<int> m_quarantine;

    bool operator==(const ConversationFile&) const = default;
};

// Reads a conversation file's `text`; `source` names it in messages. None
// when the text is not TOML or a key is unknown or its value wrong: `error`
// then reads "SOURCE:LINE: `KEY`: expected ..." (dotted within a table:
// `stop.turns`, `bot[2].folder`). Bot folders are left as written.
std::optional<ConversationFile> ParseConversationFile(std::string_view text,
                                                      const std::string& source,
                                                      std::string& error);

// Reads the conversation file at `path` as ParseConversationFile does; a
// relative bot folder that is there beside the file becomes that absolute
// path, so the file runs the same from any working folder. A file that
// cannot be read is an error naming it.
std::optional<ConversationFile> ReadConversationFile(const std::string& path, std::string& error);

// The file's text, which ParseConversationFile reads back as `file`.
std::string ConversationFileText(const ConversationFile& file);

// True when `argument` names a conversation file: it ends in
// kConversationFileEnding and is no folder. One that is not there counts,
// so that reading it says so rather than taking it for a bot folder.
bool IsConversationFile(const std::string& argument);

}  // namespace jabbery
