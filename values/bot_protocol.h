// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace jabbery {

// The message-file protocol between Jabbery and a bot, the one definition
// both sides use. For each turn Jabbery writes the file kMessageFileName in
// the bot's folder: line 1 the bot's name, line 2 the message to answer
// (possibly empty), each ending in CR LF. The bot replaces the file's
// content with its answer as one line; Jabbery takes the first line with
// text and keeps at most kMaxReplyLength bytes of it.

// The message file, named relative to the bot's folder.
inline constexpr const char* kMessageFileName = "chat.msg";

// Every line of the message file ends so, whoever writes it.
inline constexpr const char* kMessageLineEnd = "\r\n";

// The longest reply kept; the rest of the reply line is dropped.
inline constexpr std::size_t kMaxReplyLength = 1999;

// Jabbery never writes more than a name and a message of under 2000 bytes
// each; a bot reads at most this much, so a damaged file cannot eat memory.
inline constexpr std::size_t kMaxMessageFileBytes = 64 * 1024;

// A bot may say what its turn cost, as a chat-model bot knows it, by writing
// kTokensFileName in its folder during the turn: one JSON object
// {"prompt":N,"completion":M} of at most kMaxTokensFileBytes bytes. Jabbery
// removes the file before the bot runs and reads and removes it after, so a
// report is always the turn's own; a bot that writes none reports nothing.
inline constexpr const char* kTokensFileName = "chat.tok";
inline constexpr std::size_t kMaxTokensFileBytes = 256;

// The tokens one turn used, as its bot reported them.
struct TokenCount {
    long long m_prompt = 0;
    long long m_completion = 0;

    bool operator==(const TokenCount&) const = default;
};

// What Jabbery hands a bot in its message file: line 1 and line 2.
struct BotMessage {
    std::string m_name;
    std::string m_message;
};

// The message file's content for a turn: `name` and `message`, each ending in CR LF.
std::string MessageFileText(std::string_view name, std::string_view message);

// The first two lines of a message file's content. LF and CR LF both end a
// line (a lone CR elsewhere stays part of it); a missing line reads as empty.
BotMessage ParseMessageFile(std::string_view text);

// The message file's content for an answer: `answer` as its only line, ending in CR LF.
std::string AnswerFileText(std::string_view answer);

// `reply` cut to at most `max_length` bytes, never inside a UTF-8
// character: a character the cut would split goes whole. The byte after the
// limit, when there is one, tells whether the cut splits a character.
std::string CutReply(std::string reply, std::size_t max_length = kMaxReplyLength);

}  // namespace jabbery
