// SPDX-License-Identifier: MIT
// Ottilie's way of answering: find the most telling keyword of a message,
// take the sentence apart by that keyword's rules, turn the speaker's words
// round ("I am" becomes "you are") and build an answer from them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ottilie {

// Answers never grow longer than this many bytes.
inline constexpr std::size_t kMaxAnswerBytes = 200;

// What Ottilie keeps between turns, oldest first in each list.
struct Memory {
    static constexpr std::size_t kMaxTopics = 3;
    static constexpr std::size_t kMaxRecent = 40;
    std::vector<std::string> topics;  // things the speaker mentioned ("your job")
    std::vector<std::string> recent;  // her own latest answers, which she does not repeat
};

// The answer to `message`. When no keyword of the message gives an answer,
// the oldest remembered topic is brought up again and taken out of `memory`.
// A "my ..." phrase in the message is remembered for later, and the answer
// itself joins the recent answers. The same message and memory always give
// the same answer.
std::string Answer(std::string_view message, Memory& memory);

// Turns a fragment round to the listener's point of view: "i am" becomes
// "you are", "my" becomes "your", "you" becomes "I" or "me", and so on.
// Words are separated by single blanks.
std::string Reflect(const std::vector<std::string>& words);

}  // namespace ottilie
