// SPDX-License-Identifier: MIT
// Hask, a grumpy old sailor: forty years at sea and nothing pleases him. He
// snatches a word from what you say, grumbles about it, tells you how things
// were done aboard his old ship, and tells you to leave him be.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bots/bot_text.h"
#include "bots/vorn_bot.h"

namespace {

constexpr std::size_t kMaxAnswerBytes = 200;

// Salts: one per independent choice drawn from the message's hash.
enum Salt : std::uint64_t { kGrumble, kGripe, kMoan, kCloser, kWord };

constexpr std::array<std::string_view, 12> kGrumbles = {
    "Hmph.",         "Bah.",        "Pah!",       "Oh, for pity's sake.", "Here we go again.",
    "Blast it all.", "Young folk.", "Barnacles.", "Eh? Speak up.",        "Tch.",
    "Harrumph.",     "Spare me.",
};

constexpr std::array<std::string_view, 4> kQuestionGrumbles = {
    "Questions, questions.",
    "Why ask me?",
    "Do I look like a harbour master?",
    "Ask the gulls, not me.",
};

// `$w` is the word he snatched from the message, `$W` the same capitalised.
constexpr std::array<std::string_view, 14> kGripes = {
    "$W? We had $w aboard the old Mary Bell and it nearly sank her.",
    "Don't talk to me about $w. Never trusted it, never will.",
    "$W is for landlubbers and people with dry socks.",
    "In my day there was no $w. We had rope, and we were grateful.",
    "I once traded $w for a barrel of salt pork off Cape Sorrow. Worst bargain of my life.",
    "You can keep your $w. Give me a stiff wind and a tight hull.",
    "$W, is it? The gulls know more about $w than you do.",
    "Forty years at sea and nobody asked me about $w. Why start now?",
    "$W won't keep the bilge dry, I'll tell you that for nothing.",
    "My old bosun used to mutter about $w in his sleep. Odd fellow.",
    "$W again. Everybody goes on about $w these days.",
    "We threw the last $w overboard in a gale in '71 and nobody missed it.",
    "$W! Ha. Try saying that in a force nine.",
    "The cook on the Mary Bell put $w in the soup once. Once.",
};

// For messages with no word worth grumbling about.
constexpr std::array<std::string_view, 8> kMoans = {
    "The tide's turning and so is my stomach.",
    "Forty years at sea and this is what I come home to.",
    "Fog on the water tonight, mark my words.",
    "My knee says rain, and my knee is never wrong.",
    "Nobody mends a net properly any more.",
    "The harbour's gone soft. All paint and no tar.",
    "Somebody's pinched my good pipe again.",
    "I've seen bigger waves in a bathtub than what they call a storm now.",
};

constexpr std::array<std::string_view, 10> kClosers = {
    "Now leave me be.",
    "Mind the ropes.",
    "Where's my pipe?",
    "And that's all I'll say.",
    "Storm coming.",
    "Fetch me my tea.",
    "Hmph.",
    "Off with you.",
    "",
    "Shut that door, there's a draught.",
};

constexpr std::string_view kSilence = "Cat got your tongue? Suits me fine. Quiet's rare enough.";

std::string Answer(std::string_view message) {
    const std::string clean = vorn::CleanInput(message);
    const std::uint64_t hash = vorn::HashText(message);
    if (vorn::SplitWords(clean).empty()) return std::string(kSilence);

    const bool question = clean.back() == '?';
    const std::string_view grumble = question ? vorn::PickFrom(hash, kGrumble, kQuestionGrumbles)
                                              : vorn::PickFrom(hash, kGrumble, kGrumbles);

    const std::vector<std::string> words = vorn::TopicWords(clean);
    std::string middle;
    if (words.empty()) {
        middle = vorn::PickFrom(hash, kMoan, kMoans);
    } else {
        const std::string& word = words[vorn::PickIndex(hash, kWord, words.size())];
        const std::string gripe(vorn::PickFrom(hash, kGripe, kGripes));
        middle = vorn::FillIn(vorn::FillIn(gripe, "$W", vorn::Capitalised(word)), "$w", word);
    }

    return vorn::FramedAnswer(grumble, middle, vorn::PickFrom(hash, kCloser, kClosers),
                              kMaxAnswerBytes);
}

}  // namespace

int main() {
    return vorn::Serve([](const vorn::Request& request) { return Answer(request.message); });
}
