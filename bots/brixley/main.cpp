// SPDX-License-Identifier: MIT
// Brixley, a cheerful know-it-all: whatever you say, he has a "fact" about it,
// and every one of his facts is made up. He picks a word from your message
// (or a favourite subject of his own), dresses it in an invented fact and
// wraps it in delighted chatter.
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
enum Salt : std::uint64_t { kOpener, kFrame, kFact, kCloser, kSubject, kStock, kGreeting };

constexpr std::array<std::string_view, 12> kOpeners = {
    "Ah, splendid!",
    "Oh, I know this one!",
    "Marvellous!",
    "Funny you should say that!",
    "Everyone gets this wrong, but not me!",
    "Ha! Textbook stuff.",
    "Now listen closely.",
    "Oh, easy!",
    "Wonderful, wonderful.",
    "Aha!",
    "Let me tell you something.",
    "Goodness, where to start?",
};

constexpr std::array<std::string_view, 12> kQuestionOpeners = {
    "Great question!",
    "Oh, ask me anything!",
    "I am so glad you asked!",
    "Easy one!",
    "Questions are my favourite thing!",
    "Let me answer that properly.",
    "The answer is simple.",
    "Nobody knows this but me!",
    "Ha, I was hoping you would ask!",
    "Right, pay attention.",
    "A classic question!",
    "Oh, I wrote a pamphlet on this!",
};

// `%` is replaced by the fact.
constexpr std::array<std::string_view, 7> kFrames = {
    "Did you know that %?",
    "Fun fact: %!",
    "It is a little-known fact that %.",
    "Every schoolchild in Finland knows that %.",
    "Science has shown that %.",
    "I read in a very old book that %.",
    "Believe it or not, %!",
};

// `$s` is the subject.
constexpr std::array<std::string_view, 22> kFacts = {
    "the word $s was invented in 1742 by a bored lighthouse keeper",
    "anything called $s weighs exactly as much as four hundred teaspoons",
    "the word $s comes from an old Dutch word for the sneeze of a goose",
    "$s can be heard from space on a quiet Tuesday",
    "in Lower Plimsby it is against the law to mention $s before breakfast",
    "the average person thinks about $s eleven times a day, twelve on Sundays",
    "$s will hum in B flat when nobody is listening",
    "penguins have a special word for $s, and it rhymes with soup",
    "$s served as the main currency of the moon until 1903",
    "no two kinds of $s are alike, except on Thursdays",
    "the explorer Dame Ottoline Finch was afraid of $s all her life",
    "$s will glow faintly in the dark if complimented",
    "anything called $s is 78 percent water and 22 percent optimism",
    "the first recorded mention of $s was found inside a walnut in 1611",
    "all the $s in the world, stacked up, would reach the moon and a little bit more",
    "$s can travel at exactly the speed of gossip",
    "octopuses dream about $s, which is why they look so thoughtful",
    "the ancient Plimsbians used $s to keep their sandals warm",
    "owls may legally own $s in three small countries",
    "one ounce of $s holds enough energy to toast two slices of bread",
    "$s got banned from the Great Exhibition for being too exciting",
    "you can tell the age of $s by counting the freckles",
};

constexpr std::array<std::string_view, 10> kClosers = {
    "Look it up! Actually, don't. Just trust me.",
    "True story!",
    "You are welcome!",
    "I read that somewhere, probably.",
    "Isn't the world wonderful?",
    "Remember that for quiz night!",
    "Nobody believes me, but there it is.",
    "I could go on. I usually do.",
    "Write that down!",
    "",
};

// Subjects of his own, for messages that offer none.
constexpr std::array<std::string_view, 16> kStockSubjects = {
    "teaspoons", "lighthouses", "pickled onions", "umbrellas",     "giraffes", "doorknobs",
    "snails",    "custard",     "kettles",        "thunderstorms", "socks",    "moonbeams",
    "porridge",  "trombones",   "hedgehogs",      "wallpaper",
};

constexpr std::array<std::string_view, 4> kGreetings = {
    "Hello! Did you know that the first hello was said by a parrot in 1820? True story!",
    "Hello, hello! Fun fact: waving was invented by a windmill. Marvellous, isn't it?",
    "Hi there! Did you know that greetings travel faster on Mondays? Science!",
    "Good day! It is a little-known fact that every hello contains a tiny bit of sunshine.",
};

constexpr std::string_view kSilence =
    "Nothing at all? Did you know that silence weighs slightly less than a feather? True story!";

bool IsGreeting(const std::vector<std::string>& words) {
    if (words.empty() || words.size() > 3) return false;
    for (std::string_view greeting : {"hi", "hello", "hey", "greetings", "ahoy", "howdy"}) {
        if (words.front() == greeting) return true;
    }
    return false;
}

std::string Answer(std::string_view message) {
    const std::string clean = vorn::CleanInput(message);
    const std::uint64_t hash = vorn::HashText(message);
    const std::vector<std::string> words = vorn::SplitWords(clean);
    if (words.empty()) return std::string(kSilence);
    if (IsGreeting(words)) return std::string(vorn::PickFrom(hash, kGreeting, kGreetings));

    std::vector<std::string> subjects;
    for (std::string& topic : vorn::TopicWords(clean)) {
        if (topic.size() >= 5) subjects.push_back(std::move(topic));
    }
    const std::string subject = subjects.empty()
                                    ? std::string(vorn::PickFrom(hash, kStock, kStockSubjects))
                                    : subjects[vorn::PickIndex(hash, kSubject, subjects.size())];

    const std::string fact = vorn::FillIn(vorn::PickFrom(hash, kFact, kFacts), "$s", subject);
    std::string frame(vorn::PickFrom(hash, kFrame, kFrames));
    std::string middle = vorn::FillIn(frame, "%", fact);
    middle = vorn::Capitalised(std::move(middle));

    const bool question = clean.back() == '?';
    const std::string_view opener = question ? vorn::PickFrom(hash, kOpener, kQuestionOpeners)
                                             : vorn::PickFrom(hash, kOpener, kOpeners);
    return vorn::FramedAnswer(opener, middle, vorn::PickFrom(hash, kCloser, kClosers),
                              kMaxAnswerBytes);
}

}  // namespace

int main() {
    return vorn::Serve([](const vorn::Request& request) { return Answer(request.message); });
}
