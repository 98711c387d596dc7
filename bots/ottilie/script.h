// SPDX-License-Identifier: MIT
// Ottilie's rule set: which words she listens for, how she takes a sentence
// apart around them and the answers she builds from the pieces.
#pragma once

#include <string_view>
#include <vector>

namespace ottilie {

// One way of taking a sentence apart, with the answers built from the parts.
//
// A pattern is a list of tokens separated by blanks, matched against the
// sentence's lower-cased words:
//   *        any number of words, also none
//   +        one or more words
//   &        a short phrase: one to three words, up to the first little word
//            such as "is", "and" or "to" ("my old boat is leaking": "old boat")
//   a|b|c    exactly one word, any of the alternatives
//   word     exactly this word
// Every `*`, `+`, `&` and alternative token captures what it matched, numbered
// from 1 in pattern order. In an answer, $1 to $9 stand for the captures,
// with the speaker's point of view turned round ("my job" becomes "your job").
struct Rule {
    std::string_view pattern;
    std::vector<std::string_view> answers;
};

// A keyword is any of `words` (separated by `|`). The keyword with the highest
// rank found in a message decides; its rules are tried in order.
struct Keyword {
    std::string_view words;
    int rank = 0;
    std::vector<Rule> rules;
};

// Answers used when no keyword is found.
struct Fallbacks {
    std::vector<std::string_view> plain;     // nothing to hold on to
    std::vector<std::string_view> question;  // the message asked something
    std::vector<std::string_view> topic;     // $w: a word from the message worth asking about
    std::vector<std::string_view> silence;   // the message was empty
    std::vector<std::string_view> recall;    // $m: a topic remembered from earlier
};

const std::vector<Keyword>& Keywords();
const Fallbacks& FallbackAnswers();

}  // namespace ottilie
