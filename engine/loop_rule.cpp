// SPDX-License-Identifier: MIT
#include "engine/loop_rule.h"

#include <algorithm>

namespace jabbery {

std::string LoopKey(const std::string& line) {
    std::string key;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (c >= 'A' && c <= 'Z') {
            key += static_cast<char>(c - 'A' + 'a');
        } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || byte >= 0x80) {
            key += c;
        }
    }
    return key;
}

namespace {

// The turn's key, or empty when it does not count.
std::string CountedKey(const Turn& turn) {
    return turn.m_outcome.Answered() ? LoopKey(turn.m_text.Str()) : std::string();
}

std::optional<LoopFound> SaidTooOften(const std::vector<Turn>& turns, int times) {
    const std::string key = CountedKey(turns.back());
    if (key.empty()) return std::nullopt;
    LoopFound found{turns.back().m_text.Str(), {}};
    int said = 0;
    const std::size_t first = turns.size() - std::min(turns.size(), kLoopWindow);
    for (std::size_t i = first; i < turns.size(); ++i) {
        if (CountedKey(turns[i]) != key) continue;
        ++said;
        if (std::find(found.m_speakers.begin(), found.m_speakers.end(), turns[i].m_speaker) ==
            found.m_speakers.end()) {
            found.m_speakers.push_back(turns[i].m_speaker);
        }
    }
    if (said < times) return std::nullopt;
    return found;
}

std::optional<LoopFound> TradedTooOften(const std::vector<Turn>& turns, int times) {
    const std::size_t span = 2 * static_cast<std::size_t>(times);
    if (turns.size() < span) return std::nullopt;
    const Turn& last = turns.back();
    const Turn& before = turns[turns.size() - 2];
    const std::string last_key = CountedKey(last);
    const std::string before_key = CountedKey(before);
    if (last_key.empty() || before_key.empty() || last_key == before_key ||
        last.m_speaker == before.m_speaker) {
        return std::nullopt;
    }
    for (std::size_t back = 2; back < span; ++back) {
        const Turn& turn = turns[turns.size() - 1 - back];
        const Turn& same = back % 2 == 0 ? last : before;
        if (turn.m_speaker != same.m_speaker ||
            CountedKey(turn) != (back % 2 == 0 ? last_key : before_key)) {
            return std::nullopt;
        }
    }
    return LoopFound{last.m_text.Str(), {before.m_speaker, last.m_speaker}};
}

}  // namespace

std::optional<LoopFound> FindLoop(const std::vector<Turn>& turns, int times) {
    if (turns.empty() || times < 2) return std::nullopt;
    if (auto found = SaidTooOften(turns, times)) return found;
    return TradedTooOften(turns, times);
}

}  // namespace jabbery
