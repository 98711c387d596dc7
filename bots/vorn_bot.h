// SPDX-License-Identifier: MIT
// The sample bots' side of the Jabbery message-file protocol, whose rules are
// in values/bot_protocol.h: reading a request, cleaning and writing an answer.
//
// A bot is a program in a folder of its own. For each turn Jabbery writes
// the file chat.msg into that folder (line 1: the bot's display name, line 2:
// the message to answer, possibly empty; each line ends in CR LF), runs the
// command from line 3 of the folder's vorn.nfo with the folder as working
// directory, waits at most 20 seconds, and then takes the first non-blank line
// of chat.msg as the bot's answer. Standard input reads nothing (/dev/null);
// standard output and error go to a pipe Jabbery reads, keeping the last
// 4 KiB to show when the bot fails, but never taken as an answer: the file is
// the only way the answer comes back. When the bot ends (or is stopped), every
// process it started is ended too, so nothing it leaves running outlives the turn.
//
// A complete bot with this header:
//
//     #include "bots/vorn_bot.h"
//
//     int main() {
//         return vorn::Serve([](const vorn::Request& request) {
//             return "You said: " + request.message;
//         });
//     }
//
// Jabbery copies answers into a rich-text document without escaping them,
// so a backslash or a brace in an answer would be read as formatting; the
// helpers here strip them.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>

#include "values/bot_protocol.h"

namespace vorn {

// What Jabbery handed over for one turn.
struct Request {
    std::string name;      // line 1: the display name from the bot's vorn.nfo
    std::string message;   // line 2: the line to answer; may be empty
    bool present = false;  // false when chat.msg was missing or unreadable
};

// Reads the request from `file`. A missing file gives an empty request with
// `present` false: the bot can still answer (an empty message, as it were).
inline Request ReadRequest(const std::filesystem::path& file = jabbery::kMessageFileName) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::string text(jabbery::kMaxMessageFileBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    jabbery::BotMessage lines = jabbery::ParseMessageFile(text);
    return {std::move(lines.m_name), std::move(lines.m_message), true};
}

// Makes `answer` safe to hand back: drops backslashes and braces (Jabbery
// would read them as rich-text formatting), turns CR, LF, tabs and other
// control bytes into blanks (the answer must stay one line), squeezes runs of
// blanks, trims both ends and keeps at most `max_length` bytes.
inline std::string CleanAnswer(std::string_view answer,
                               std::size_t max_length = jabbery::kMaxReplyLength) {
    std::string out;
    out.reserve(answer.size());
    for (char c : answer) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' || c == '{' || c == '}') continue;
        const bool blank = byte < 0x20 || byte == 0x7f || c == ' ';
        if (blank) {
            if (!out.empty() && out.back() != ' ') out.push_back(' ');
            continue;
        }
        out.push_back(c);
    }
    // Never half of a multi-byte UTF-8 character at the end.
    out = jabbery::CutReply(std::move(out), max_length);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// Replaces the content of `file` with the cleaned answer as its only line,
// ended by CR LF. Returns false when the file could not be written.
inline bool WriteAnswer(std::string_view answer,
                        const std::filesystem::path& file = jabbery::kMessageFileName) {
    const std::string line = jabbery::AnswerFileText(CleanAnswer(answer));
    // Binary mode: the line end must be CR LF exactly, whatever the platform.
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    out.flush();
    return static_cast<bool>(out);
}

// Runs one turn: reads the request from chat.msg, asks `answer_for` for the
// answer and writes it back. Returns the process exit code (0 on success).
template <typename AnswerFunction>
int Serve(AnswerFunction&& answer_for) {
    const Request request = ReadRequest();
    const std::string answer = answer_for(request);
    return WriteAnswer(answer) ? 0 : 1;
}

}  // namespace vorn
