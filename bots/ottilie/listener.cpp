// SPDX-License-Identifier: MIT
#include "bots/ottilie/listener.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "bots/bot_text.h"
#include "bots/ottilie/script.h"

namespace ottilie {
namespace {

// A captured fragment longer than this is cut, so answers stay short.
constexpr std::size_t kMaxCaptureWords = 8;
// Words of one sentence that take part in matching; the rest are ignored, so
// a huge message costs no more than a long one.
constexpr std::size_t kMaxSentenceWords = 60;
// A short phrase (the `&` of a pattern) has at most this many words.
constexpr std::size_t kMaxPhraseWords = 3;

struct Word {
    std::string text;   // as written (contractions spelt out)
    std::string lower;  // lower-cased, for matching
};

struct Sentence {
    std::vector<Word> words;
    bool question = false;
};

// Contractions are spelt out before matching, so "I'm" matches "i am".
std::vector<std::string_view> Expansion(std::string_view lower) {
    static const std::array<std::pair<std::string_view, std::vector<std::string_view>>, 24>
        kContractions = {{
            {"i'm", {"I", "am"}},         {"im", {"I", "am"}},
            {"i've", {"I", "have"}},      {"i'd", {"I", "would"}},
            {"i'll", {"I", "will"}},      {"can't", {"cannot"}},
            {"cant", {"cannot"}},         {"won't", {"will", "not"}},
            {"don't", {"do", "not"}},     {"doesn't", {"does", "not"}},
            {"didn't", {"did", "not"}},   {"isn't", {"is", "not"}},
            {"aren't", {"are", "not"}},   {"wasn't", {"was", "not"}},
            {"you're", {"you", "are"}},   {"you've", {"you", "have"}},
            {"you'll", {"you", "will"}},  {"you'd", {"you", "would"}},
            {"it's", {"it", "is"}},       {"that's", {"that", "is"}},
            {"let's", {"let", "us"}},     {"we're", {"we", "are"}},
            {"they're", {"they", "are"}}, {"couldn't", {"could", "not"}},
        }};
    for (const auto& [contraction, words] : kContractions) {
        if (contraction == lower) return words;
    }
    return {};
}

std::vector<Word> Tokenise(std::string_view text) {
    std::vector<Word> words;
    for (std::string& raw : vorn::SplitWords(text, true)) {
        if (words.size() >= kMaxSentenceWords) break;
        std::string lower = vorn::LowerText(raw);
        const std::vector<std::string_view> expansion = Expansion(lower);
        if (expansion.empty()) {
            words.push_back({std::move(raw), std::move(lower)});
            continue;
        }
        for (std::string_view part : expansion) {
            words.push_back({std::string(part), vorn::LowerText(part)});
        }
    }
    return words;
}

// Sentences and clauses: the text is cut at . ! ? ; : and commas.
std::vector<Sentence> SplitSentences(std::string_view text) {
    std::vector<Sentence> sentences;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        const char c = end ? '.' : text[i];
        if (c != '.' && c != '!' && c != '?' && c != ';' && c != ':' && c != ',') continue;
        Sentence sentence{Tokenise(text.substr(start, i - start)), c == '?'};
        if (!sentence.words.empty()) sentences.push_back(std::move(sentence));
        start = i + 1;
    }
    return sentences;
}

std::vector<std::string_view> Alternatives(std::string_view words) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start <= words.size()) {
        std::size_t bar = words.find('|', start);
        if (bar == std::string_view::npos) bar = words.size();
        out.push_back(words.substr(start, bar - start));
        start = bar + 1;
    }
    return out;
}

std::vector<std::string_view> PatternTokens(std::string_view pattern) {
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    while (start < pattern.size()) {
        std::size_t blank = pattern.find(' ', start);
        if (blank == std::string_view::npos) blank = pattern.size();
        if (blank > start) tokens.push_back(pattern.substr(start, blank - start));
        start = blank + 1;
    }
    return tokens;
}

bool WordMatches(std::string_view token, const Word& word) {
    for (std::string_view alternative : Alternatives(token)) {
        if (alternative == word.lower) return true;
    }
    return false;
}

using Capture = std::pair<std::size_t, std::size_t>;  // [first, last) word indexes

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

// Words that end a short phrase: "my boat is old" gives the phrase "boat".
bool EndsPhrase(std::string_view lower) {
    return IsOneOf(
        lower,
        {"and",   "but",    "because", "so",   "when", "which", "that", "who",   "since",  "while",
         "if",    "or",     "is",      "was",  "are",  "were",  "has",  "have",  "had",    "will",
         "would", "can",    "could",   "does", "did",  "do",    "to",   "at",    "in",     "on",
         "for",   "with",   "of",      "my",   "i",    "me",    "you",  "never", "always", "not",
         "just",  "really", "also",    "too",  "very", "there", "here", "then",  "now",    "today",
         "again", "cannot", "am",      "be",   "been"});
}

// Matches tokens[t..] against words[w..], recording one capture per `*`, `+`,
// `&` and alternative token. Backtracks over the lengths the wildcards take.
bool MatchFrom(const std::vector<std::string_view>& tokens, std::size_t t,
               const std::vector<Word>& words, std::size_t w, std::vector<Capture>& captures) {
    if (t == tokens.size()) return w == words.size();
    const std::string_view token = tokens[t];
    if (token == "&") {
        // The longest short phrase first: "my old boat" rather than "my old".
        std::size_t longest = w;
        while (longest < words.size() && longest - w < kMaxPhraseWords &&
               !EndsPhrase(words[longest].lower)) {
            ++longest;
        }
        for (std::size_t end = longest; end > w; --end) {
            captures.emplace_back(w, end);
            if (MatchFrom(tokens, t + 1, words, end, captures)) return true;
            captures.pop_back();
        }
        return false;
    }
    if (token == "*" || token == "+") {
        const std::size_t least = token == "+" ? 1 : 0;
        for (std::size_t end = w + least; end <= words.size(); ++end) {
            captures.emplace_back(w, end);
            if (MatchFrom(tokens, t + 1, words, end, captures)) return true;
            captures.pop_back();
        }
        return false;
    }
    if (w >= words.size() || !WordMatches(token, words[w])) return false;
    const bool captures_word = token.find('|') != std::string_view::npos;
    if (captures_word) captures.emplace_back(w, w + 1);
    if (MatchFrom(tokens, t + 1, words, w + 1, captures)) return true;
    if (captures_word) captures.pop_back();
    return false;
}

bool Match(std::string_view pattern, const std::vector<Word>& words,
           std::vector<Capture>& captures) {
    captures.clear();
    return MatchFrom(PatternTokens(pattern), 0, words, 0, captures);
}

std::string ReflectWord(const std::string& word, std::string_view before, std::string_view after) {
    const std::string lower = vorn::LowerText(word);
    if (lower == "i" || lower == "me") return "you";
    if (lower == "my") return "your";
    if (lower == "mine") return "yours";
    if (lower == "myself") return "yourself";
    if (lower == "am") return "are";
    if (lower == "was" && before == "i") return "were";
    if (lower == "are" && before == "you") return "am";
    if (lower == "were" && before == "you") return "was";
    if (lower == "your") return "my";
    if (lower == "yours") return "mine";
    if (lower == "yourself") return "myself";
    if (lower == "you") {
        // "you" as the doer of the next word becomes "I", otherwise "me".
        const bool subject =
            IsOneOf(after, {"are",   "were", "have",  "had",    "will",   "would",  "can",
                            "could", "do",   "did",   "should", "shall",  "might",  "must",
                            "think", "feel", "want",  "need",   "know",   "say",    "said",
                            "seem",  "look", "sound", "never",  "always", "cannot", "love",
                            "hate",  "came", "went",  "told",   "saw",    "mean",   "meant",
                            "like",  "see",  "got",   "made",   "may",    "really"});
        const bool past_tense = after.size() > 3 && after.ends_with("ed");
        return subject || past_tense ? "I" : "me";
    }
    return word;
}

std::string ReflectRange(const std::vector<Word>& words, Capture capture) {
    std::vector<std::string> texts;
    const std::size_t last = std::min(capture.second, capture.first + kMaxCaptureWords);
    for (std::size_t i = capture.first; i < last; ++i) texts.push_back(words[i].text);
    return Reflect(texts);
}

// Puts the captures into an answer template: $1 to $9.
std::string Assemble(std::string_view answer, const std::vector<Word>& words,
                     const std::vector<Capture>& captures) {
    std::string out;
    for (std::size_t i = 0; i < answer.size(); ++i) {
        const char next = i + 1 < answer.size() ? answer[i + 1] : '\0';
        if (answer[i] == '$' && next >= '1' && next <= '9') {
            const auto index = static_cast<std::size_t>(next - '1');
            if (index < captures.size()) out += ReflectRange(words, captures[index]);
            ++i;
            continue;
        }
        out.push_back(answer[i]);
    }
    return out;
}

// The first "my ..." phrase of the message, turned round ("your old boat"),
// or empty text when there is none.
std::string TopicToRemember(const std::vector<Sentence>& sentences) {
    std::vector<Capture> captures;
    for (const Sentence& sentence : sentences) {
        if (!Match("* my & *", sentence.words, captures)) continue;
        return "your " + ReflectRange(sentence.words, captures[1]);
    }
    return {};
}

void Remember(Memory& memory, std::string topic) {
    if (topic.empty()) return;
    if (std::find(memory.topics.begin(), memory.topics.end(), topic) != memory.topics.end()) {
        return;
    }
    memory.topics.push_back(std::move(topic));
    if (memory.topics.size() > Memory::kMaxTopics) memory.topics.erase(memory.topics.begin());
}

struct Candidate {
    int rank;
    std::size_t keyword;
    std::size_t sentence;
};

// Every keyword found, most telling first; among equals, earlier sentences
// and then earlier keywords of the table come first.
std::vector<Candidate> FindKeywords(const std::vector<Sentence>& sentences) {
    const std::vector<Keyword>& keywords = Keywords();
    std::vector<Candidate> found;
    for (std::size_t s = 0; s < sentences.size(); ++s) {
        for (std::size_t k = 0; k < keywords.size(); ++k) {
            const std::vector<std::string_view> alternatives = Alternatives(keywords[k].words);
            const bool present = std::any_of(
                sentences[s].words.begin(), sentences[s].words.end(), [&](const Word& word) {
                    return std::find(alternatives.begin(), alternatives.end(), word.lower) !=
                           alternatives.end();
                });
            if (present) found.push_back({keywords[k].rank, k, s});
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Candidate& a, const Candidate& b) { return a.rank > b.rank; });
    return found;
}

std::string Finish(std::string answer) {
    return vorn::ClipText(vorn::Capitalised(std::move(answer)), kMaxAnswerBytes);
}

// Chooses among the answers for one message: the message's hash decides
// which answer of a list comes first, and answers Ottilie gave lately are
// passed over, so two bots answering each other cannot lock her into
// repeating one line.
class Picker {
  public:
    Picker(std::uint64_t hash, const Memory& memory) : m_hash(hash), m_memory(memory) {}

    // The first answer of `list` not said lately, starting from the hash's
    // choice and going round; `make` fills in the template. Empty text when
    // every answer of the list was said lately.
    template <typename Make>
    std::string From(const std::vector<std::string_view>& list, std::uint64_t salt,
                     Make make) const {
        const std::size_t start = vorn::PickIndex(m_hash, salt, list.size());
        for (std::size_t k = 0; k < list.size(); ++k) {
            std::string answer = Finish(make(list[(start + k) % list.size()]));
            if (!answer.empty() && !SaidLately(answer)) return answer;
        }
        return {};
    }

    std::string From(const std::vector<std::string_view>& list, std::uint64_t salt) const {
        return From(list, salt, [](std::string_view answer) { return std::string(answer); });
    }

    // The answer of `list` said longest ago; for when every answer is recent.
    std::string Stalest(const std::vector<std::string_view>& list) const {
        std::string stalest;
        std::size_t stalest_age = 0;
        for (std::string_view text : list) {
            std::string answer = Finish(std::string(text));
            const auto said = std::find(m_memory.recent.rbegin(), m_memory.recent.rend(), answer);
            const auto age = static_cast<std::size_t>(said - m_memory.recent.rbegin());
            if (stalest.empty() || age > stalest_age) {
                stalest = std::move(answer);
                stalest_age = age;
            }
        }
        return stalest;
    }

    std::uint64_t hash() const { return m_hash; }

  private:
    bool SaidLately(const std::string& answer) const {
        return std::find(m_memory.recent.begin(), m_memory.recent.end(), answer) !=
               m_memory.recent.end();
    }

    std::uint64_t m_hash;
    const Memory& m_memory;
};

// Brings the oldest remembered topic up again and takes it out of memory;
// empty text when there is none (or only in words said lately).
std::string Recall(const Picker& picker, Memory& memory) {
    if (memory.topics.empty()) return {};
    const std::string topic = memory.topics.front();
    std::string answer = picker.From(FallbackAnswers().recall, 900, [&](std::string_view text) {
        return vorn::FillIn(text, "$m", topic);
    });
    if (!answer.empty()) memory.topics.erase(memory.topics.begin());
    return answer;
}

std::string Compose(std::string_view message, const Picker& picker, Memory& memory,
                    const std::vector<Sentence>& sentences) {
    const Fallbacks& fallbacks = FallbackAnswers();
    const std::uint64_t hash = picker.hash();
    std::string answer;
    if (sentences.empty()) {
        answer = Recall(picker, memory);
        if (answer.empty()) answer = picker.From(fallbacks.silence, 901);
        if (answer.empty()) answer = picker.From(fallbacks.plain, 907);
        return answer;
    }
    std::vector<Capture> captures;
    for (const Candidate& candidate : FindKeywords(sentences)) {
        const Keyword& keyword = Keywords()[candidate.keyword];
        const std::vector<Word>& words = sentences[candidate.sentence].words;
        for (std::size_t r = 0; r < keyword.rules.size(); ++r) {
            const Rule& rule = keyword.rules[r];
            if (!Match(rule.pattern, words, captures)) continue;
            answer =
                picker.From(rule.answers, candidate.keyword * 16 + r,
                            [&](std::string_view text) { return Assemble(text, words, captures); });
            if (!answer.empty()) return answer;
        }
    }
    answer = Recall(picker, memory);
    if (!answer.empty()) return answer;
    const std::vector<std::string> topics = vorn::TopicWords(message);
    const bool question = sentences.back().question;
    if (question && (topics.empty() || vorn::PickIndex(hash, 902, 2) == 0)) {
        answer = picker.From(fallbacks.question, 903);
        if (!answer.empty()) return answer;
    }
    if (!topics.empty() && vorn::PickIndex(hash, 904, 3) != 0) {
        const std::string& topic = topics[vorn::PickIndex(hash, 905, topics.size())];
        answer = picker.From(fallbacks.topic, 906, [&](std::string_view text) {
            return vorn::FillIn(text, "$w", topic);
        });
        if (!answer.empty()) return answer;
    }
    answer = picker.From(fallbacks.plain, 907);
    if (answer.empty()) answer = picker.Stalest(fallbacks.plain);
    return answer;
}

}  // namespace

std::string Reflect(const std::vector<std::string>& words) {
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string before = i > 0 ? vorn::LowerText(words[i - 1]) : std::string();
        const std::string after = i + 1 < words.size() ? vorn::LowerText(words[i + 1]) : "";
        if (i > 0) out.push_back(' ');
        out += ReflectWord(words[i], before, after);
    }
    return out;
}

std::string Answer(std::string_view message, Memory& memory) {
    const std::string clean = vorn::CleanInput(message);
    const std::vector<Sentence> sentences = SplitSentences(clean);
    const Picker picker(vorn::HashText(message), memory);
    std::string answer = Compose(clean, picker, memory, sentences);
    memory.recent.push_back(answer);
    if (memory.recent.size() > Memory::kMaxRecent) memory.recent.erase(memory.recent.begin());
    // The topic of this message is kept only after answering, so that it is
    // brought up on a later turn rather than thrown straight back.
    Remember(memory, TopicToRemember(sentences));
    return answer;
}

}  // namespace ottilie
