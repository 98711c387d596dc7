// SPDX-License-Identifier: MIT
// Small text tools shared by the sample bots: a stable hash of the message
// (the bots draw all their variety from it, so the same message always gets
// the same answer), cleaning of untrusted input, and word handling.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "values/utf8.h"

namespace vorn {

// 64-bit FNV-1a: stable across runs and platforms, unlike std::hash.
inline std::uint64_t HashText(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// Derives an independent-looking number from `hash` for choice number `salt`,
// so that one message hash can drive several choices (splitmix64 finaliser).
inline std::uint64_t MixHash(std::uint64_t hash, std::uint64_t salt) {
    std::uint64_t z = hash + 0x9E3779B97F4A7C15ull * (salt + 1);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// An index below `count` (which must not be 0) for choice number `salt`.
inline std::size_t PickIndex(std::uint64_t hash, std::uint64_t salt, std::size_t count) {
    return static_cast<std::size_t>(MixHash(hash, salt) % count);
}

template <typename T, std::size_t N>
const T& PickFrom(std::uint64_t hash, std::uint64_t salt, const std::array<T, N>& options) {
    static_assert(N > 0);
    return options[PickIndex(hash, salt, N)];
}

using jabbery::Utf8SequenceLength;

// Makes an untrusted message safe to work with: bytes that are not valid
// UTF-8 and control characters become blanks, and runs of blanks shrink to
// one. What remains can be quoted back without producing garbage.
inline std::string CleanInput(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t length = Utf8SequenceLength(text, pos);
        const auto first = static_cast<unsigned char>(text[pos]);
        if (length == 0 || first < 0x20 || first == 0x7f || first == ' ') {
            if (!out.empty() && out.back() != ' ') out.push_back(' ');
            pos += length == 0 ? 1 : length;
            continue;
        }
        out.append(text.substr(pos, length));
        pos += length;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerText(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

struct ScannedWord {
    std::string text;              // as written
    bool starts_sentence = false;  // first word of the text or after . ! ?
};

// Words of `text`: runs of ASCII letters, digits, apostrophes and non-ASCII
// bytes (letters of other scripts, when the text is clean UTF-8). Everything
// else separates words; apostrophes at either end are dropped.
inline std::vector<ScannedWord> ScanWords(std::string_view text) {
    std::vector<ScannedWord> words;
    std::string word;
    bool at_start = true;
    auto flush = [&] {
        while (!word.empty() && word.front() == '\'') word.erase(word.begin());
        while (!word.empty() && word.back() == '\'') word.pop_back();
        if (!word.empty()) {
            words.push_back({word, at_start});
            at_start = false;
        }
        word.clear();
    };
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool part = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '\'' || byte >= 0x80;
        if (part) {
            word.push_back(c);
            continue;
        }
        flush();
        if (c == '.' || c == '!' || c == '?') at_start = true;
    }
    flush();
    return words;
}

// The words of `text` (as ScanWords finds them), lower-cased unless `keep_case`.
inline std::vector<std::string> SplitWords(std::string_view text, bool keep_case = false) {
    std::vector<std::string> words;
    for (ScannedWord& word : ScanWords(text)) {
        words.push_back(keep_case ? std::move(word.text) : LowerText(word.text));
    }
    return words;
}

// True for everyday words that carry no topic of their own.
inline bool IsCommonWord(std::string_view word) {
    // Sorted, so it can be searched by halves.
    static constexpr std::string_view kCommon[] = {
        "about",      "above",    "across",     "actually", "after",     "again",     "against",
        "almost",     "along",    "already",    "also",     "although",  "always",    "among",
        "another",    "answer",   "anybody",    "anyone",   "anything",  "anyway",    "anywhere",
        "around",     "asked",    "asking",     "away",     "back",      "became",    "because",
        "become",     "becomes",  "been",       "before",   "began",     "behind",    "being",
        "believe",    "below",    "best",       "better",   "between",   "beyond",    "both",
        "bring",      "brings",   "brought",    "came",     "cannot",    "come",      "comes",
        "coming",     "could",    "does",       "doing",    "done",      "down",      "during",
        "each",       "either",   "else",       "enough",   "even",      "ever",      "every",
        "everybody",  "everyone", "everything", "exactly",  "fact",      "facts",     "fine",
        "first",      "found",    "from",       "gets",     "getting",   "give",      "given",
        "gives",      "giving",   "goes",       "going",    "gone",      "good",      "great",
        "have",       "having",   "hear",       "heard",    "hello",     "here",      "herself",
        "himself",    "however",  "into",       "itself",   "just",      "keep",      "keeps",
        "kept",       "kind",     "know",       "known",    "knows",     "last",      "later",
        "least",      "leave",    "left",       "less",     "like",      "liked",     "likes",
        "little",     "long",     "look",       "looked",   "looking",   "looks",     "made",
        "make",       "makes",    "making",     "many",     "maybe",     "mean",      "means",
        "meant",      "might",    "mine",       "more",     "most",      "much",      "must",
        "myself",     "near",     "nearly",     "need",     "needs",     "never",     "next",
        "nobody",     "none",     "nothing",    "often",    "once",      "only",      "other",
        "others",     "ought",    "ours",       "over",     "perhaps",   "please",    "pretty",
        "quite",      "rather",   "really",     "right",    "said",      "same",      "saying",
        "says",       "seem",     "seems",      "seen",     "should",    "show",      "since",
        "small",      "some",     "somebody",   "someone",  "something", "sometimes", "somewhere",
        "soon",       "sort",     "sound",      "sounds",   "still",     "such",      "sure",
        "take",       "taken",    "takes",      "taking",   "tell",      "telling",   "tells",
        "than",       "thank",    "thanks",     "that",     "their",     "theirs",    "them",
        "themselves", "then",     "there",      "these",    "they",      "thing",     "things",
        "think",      "thinks",   "this",       "those",    "though",    "thought",   "through",
        "till",       "together", "told",       "took",     "toward",    "towards",   "tried",
        "tries",      "truly",    "trust",      "trying",   "under",     "until",     "upon",
        "used",       "using",    "very",       "want",     "wanted",    "wants",     "welcome",
        "well",       "went",     "were",       "what",     "whatever",  "when",      "where",
        "whether",    "which",    "while",      "whom",     "whose",     "will",      "wish",
        "with",       "within",   "without",    "would",    "yeah",      "year",      "years",
        "your",       "yours",    "yourself",
    };
    return std::binary_search(std::begin(kCommon), std::end(kCommon), word);
}

// Words worth talking about: four to 24 bytes long, not common, not a
// contraction and not a past tense ("noticed" goes, "speed" stays). A word
// written with a capital inside a sentence keeps it (a name such as
// "Finland"); all others come lower-cased.
inline std::vector<std::string> TopicWords(std::string_view text) {
    std::vector<std::string> topics;
    for (ScannedWord& word : ScanWords(text)) {
        std::string lower = LowerText(word.text);
        if (lower.size() < 4 || lower.size() > 24 || IsCommonWord(lower)) continue;
        if (lower.find('\'') != std::string::npos) continue;
        if (lower.ends_with("ed") && !lower.ends_with("eed")) continue;
        topics.push_back(word.starts_sentence ? std::move(lower) : std::move(word.text));
    }
    return topics;
}

// Replaces every `marker` in `pattern` with `value`.
inline std::string FillIn(std::string_view pattern, std::string_view marker,
                          std::string_view value) {
    std::string out;
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = pattern.find(marker, pos);
        if (hit == std::string_view::npos) break;
        out.append(pattern.substr(pos, hit - pos));
        out.append(value);
        pos = hit + marker.size();
    }
    out.append(pattern.substr(pos));
    return out;
}

// Joins at most `max_words` of `words` with single blanks.
inline std::string FirstWords(const std::vector<std::string>& words, std::size_t max_words) {
    std::string out;
    for (std::size_t i = 0; i < words.size() && i < max_words; ++i) {
        if (i > 0) out.push_back(' ');
        out += words[i];
    }
    return out;
}

// Shortens `text` to at most `max_bytes`, at the last blank that fits when
// there is one, and ends it with "..." when anything was cut. Never splits a
// UTF-8 character.
inline std::string ClipText(std::string text, std::size_t max_bytes) {
    if (text.size() <= max_bytes) return text;
    const std::size_t room = max_bytes > 3 ? max_bytes - 3 : 0;
    std::size_t cut = text.rfind(' ', room);
    if (cut == std::string::npos || cut == 0) {
        cut = room;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    }
    text.resize(cut);
    while (!text.empty() && (text.back() == ' ' || text.back() == ',')) text.pop_back();
    return text + "...";
}

// Joins `opener`, `middle` and `closer` with blanks into at most `max_bytes`.
// The opener and closer are trimmings: the closer is left out when it would
// not fit, both go when opener and middle alone are too long, and only then
// is the middle itself clipped. An empty closer is left out.
inline std::string FramedAnswer(std::string_view opener, std::string_view middle,
                                std::string_view closer, std::size_t max_bytes) {
    std::string answer = std::string(opener) + " " + std::string(middle);
    if (!closer.empty() && answer.size() + 1 + closer.size() <= max_bytes) {
        answer += ' ';
        answer += closer;
    }
    if (answer.size() > max_bytes) answer = middle;
    return ClipText(std::move(answer), max_bytes);
}

// Upper-cases the first letter, if it is an ASCII letter.
inline std::string Capitalised(std::string text) {
    if (!text.empty() && text.front() >= 'a' && text.front() <= 'z') {
        text.front() = static_cast<char>(text.front() - 'a' + 'A');
    }
    return text;
}

}  // namespace vorn
