// SPDX-License-Identifier: MIT
#include "engine/speaker_policy.h"

#include "platform/draws.h"

namespace jabbery {
namespace {

// Who may be chosen: may speak, and did not just speak.
std::vector<std::size_t> Candidates(const SpeakerPool& pool) {
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < pool.m_canSpeak.size(); ++i) {
        if (pool.m_canSpeak[i] && i != pool.m_last) candidates.push_back(i);
    }
    return candidates;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A byte that continues a word: letters, digits and any byte of a UTF-8
// character beyond ASCII.
bool IsWordByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || (Lower(c) >= 'a' && Lower(c) <= 'z') || (c >= '0' && c <= '9');
}

// Where `name` first stands as a whole word in `line`, without case; npos when nowhere.
std::size_t WordPosition(const std::string& line, const std::string& name) {
    if (name.empty()) return std::string::npos;
    for (std::size_t at = 0; at + name.size() <= line.size(); ++at) {
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            same = Lower(line[at + i]) == Lower(name[i]);
        }
        const bool starts = at == 0 || !IsWordByte(line[at - 1]);
        const bool ends = at + name.size() == line.size() || !IsWordByte(line[at + name.size()]);
        if (same && starts && ends) return at;
    }
    return std::string::npos;
}

}  // namespace

std::optional<std::size_t> RandomSpeakers::Next(const SpeakerPool& pool) {
    if (Candidates(pool).empty()) return std::nullopt;
    const int count = static_cast<int>(pool.m_participants.size());
    // Drawn again until another comes up, rather than drawn from the others:
    // the draws, and so a seeded conversation, stay as they always were.
    std::size_t next = pool.m_last;
    while (next == pool.m_last || !pool.m_canSpeak[next]) {
        next = static_cast<std::size_t>(Draw() % count);
    }
    return next;
}

std::optional<std::size_t> ListSpeakers::Next(const SpeakerPool& pool) {
    const std::size_t count = pool.m_canSpeak.size();
    for (std::size_t step = 1; step < count; ++step) {
        const std::size_t next = (pool.m_last + step) % count;
        if (pool.m_canSpeak[next]) return next;
    }
    return std::nullopt;
}

std::optional<std::size_t> NaturalSpeakers::Next(const SpeakerPool& pool) {
    const std::vector<std::size_t> candidates = Candidates(pool);
    if (candidates.empty()) return std::nullopt;
    std::optional<std::size_t> named;
    std::size_t named_at = std::string::npos;
    for (const std::size_t i : candidates) {
        const std::size_t at =
            WordPosition(pool.m_lastLine.Str(), pool.m_participants[i].m_name.Str());
        if (at < named_at) {
            named_at = at;
            named = i;
        }
    }
    if (named) return named;
    int total = 0;
    for (const std::size_t i : candidates) total += pool.m_participants[i].m_talkativeness;
    if (total == 0) return candidates[static_cast<std::size_t>(Draw()) % candidates.size()];
    int draw = Draw() % total;
    for (const std::size_t i : candidates) {
        draw -= pool.m_participants[i].m_talkativeness;
        if (draw < 0) return i;
    }
    return candidates.back();
}

std::optional<std::size_t> PooledSpeakers::Next(const SpeakerPool& pool) {
    m_spoken.resize(pool.m_participants.size(), false);
    m_spoken[pool.m_last] = true;
    std::vector<std::size_t> candidates;
    for (const std::size_t i : Candidates(pool)) {
        if (!m_spoken[i]) candidates.push_back(i);
    }
    if (candidates.empty()) {
        // A new round; the one who just spoke still waits a turn.
        m_spoken.assign(m_spoken.size(), false);
        candidates = Candidates(pool);
        if (candidates.empty()) return std::nullopt;
    }
    const std::size_t next = candidates[static_cast<std::size_t>(Draw()) % candidates.size()];
    m_spoken[next] = true;
    return next;
}

std::shared_ptr<SpeakerPolicy> MakeSpeakingOrder(const std::string& name) {
    if (name == "random") return std::make_shared<RandomSpeakers>();
    if (name == "list") return std::make_shared<ListSpeakers>();
    if (name == "natural") return std::make_shared<NaturalSpeakers>();
    if (name == "pooled") return std::make_shared<PooledSpeakers>();
    return nullptr;
}

}  // namespace jabbery
