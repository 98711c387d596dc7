// SPDX-License-Identifier: MIT
// Wren, a poet of few words: she answers everything with three short lines,
// written on one line and parted by slashes. The first line holds a word from
// your message; the other two are her own small images.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bots/bot_text.h"
#include "bots/vorn_bot.h"

namespace {

constexpr std::size_t kMaxAnswerBytes = 200;
// Longer words would swamp a three-line poem.
constexpr std::size_t kMaxPoemWordBytes = 16;

// Salts: one per independent choice drawn from the message's hash.
enum Salt : std::uint64_t { kOpening, kMiddle, kEnding, kWord, kBare };

// `$w` is the borrowed word.
constexpr std::array<std::string_view, 14> kOpenings = {
    "$w at dusk",        "a small $w",  "$w in the rain", "one $w, then another", "the $w we kept",
    "under the $w",      "$w, folded",  "after the $w",   "$w and salt",          "no $w tonight",
    "what $w remembers", "the last $w", "$w, unspoken",   "a window of $w",
};

// Openings for messages that lend no word.
constexpr std::array<std::string_view, 6> kBareOpenings = {
    "grey morning", "one bell", "nothing said", "the long pause", "a cold cup", "four walls",
};

constexpr std::array<std::string_view, 14> kMiddles = {
    "the kettle cools",      "a gull turns back",         "the clock says nothing",
    "moss on the stair",     "lamps along the quay",      "snow on the wire",
    "the ink runs thin",     "a door left open",          "bread on the sill",
    "the tide forgets",      "a moth at the glass",       "rain in the gutter",
    "two chairs, one empty", "the hill holds its breath",
};

constexpr std::array<std::string_view, 14> kEndings = {
    "and no one calls", "still, still",     "enough", "the page stays white", "I let it go",
    "we wait",          "light, then less", "hush",   "the rest is weather",  "home, almost",
    "again, again",     "it passes",        "listen", "so little, so much",
};

constexpr std::string_view kSilence = "hush / the page / stays white";

std::string Answer(std::string_view message) {
    const std::string clean = vorn::CleanInput(message);
    const std::uint64_t hash = vorn::HashText(message);
    if (vorn::SplitWords(clean).empty()) return std::string(kSilence);

    std::vector<std::string> words;
    for (std::string& topic : vorn::TopicWords(clean)) {
        if (topic.size() <= kMaxPoemWordBytes) words.push_back(std::move(topic));
    }
    std::string opening;
    if (words.empty()) {
        opening = vorn::PickFrom(hash, kBare, kBareOpenings);
    } else {
        const std::string& word = words[vorn::PickIndex(hash, kWord, words.size())];
        opening = vorn::FillIn(vorn::PickFrom(hash, kOpening, kOpenings), "$w", word);
    }
    const std::string poem = opening + " / " +
                             std::string(vorn::PickFrom(hash, kMiddle, kMiddles)) + " / " +
                             std::string(vorn::PickFrom(hash, kEnding, kEndings));
    return vorn::ClipText(poem, kMaxAnswerBytes);
}

}  // namespace

int main() {
    return vorn::Serve([](const vorn::Request& request) { return Answer(request.message); });
}
