// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/participant.h"

namespace jabbery {

// What a speaking order may look at to choose the next speaker.
struct SpeakerPool {
    const std::vector<Participant>& m_participants;
    // Per participant: may speak now (not muted, not sitting out, not removed).
    const std::vector<bool>& m_canSpeak;
    std::size_t m_last;              // the one who just spoke (index)
    const CPlainString& m_lastLine;  // what they said
};

// Chooses who speaks after each turn: an index of the pool's participants
// that may speak and is not the one who just spoke, or none when no one is
// left. Random draws come from the thread's Draw (platform/draws.h), so a
// seed (SeedDraws) gives the same speakers every time.
class SpeakerPolicy {
  public:
    virtual ~SpeakerPolicy() = default;
    virtual std::optional<std::size_t> Next(const SpeakerPool& pool) = 0;
};

// At random, never the one that just spoke: drawn again until another who
// may speak comes up, so with every bot free to speak a seed gives the same
// speakers as ever.
class RandomSpeakers final : public SpeakerPolicy {
  public:
    std::optional<std::size_t> Next(const SpeakerPool& pool) override;
};

// The participants in the order they joined, round and round.
class ListSpeakers final : public SpeakerPolicy {
  public:
    std::optional<std::size_t> Next(const SpeakerPool& pool) override;
};

// The first participant named (a whole word, without case) in the last line
// speaks next; otherwise a draw weighted by each one's talkativeness (0:
// only when named; when every weight is 0, an even draw).
class NaturalSpeakers final : public SpeakerPolicy {
  public:
    std::optional<std::size_t> Next(const SpeakerPool& pool) override;
};

// At random among those who have not spoken since everyone last did.
class PooledSpeakers final : public SpeakerPolicy {
  public:
    std::optional<std::size_t> Next(const SpeakerPool& pool) override;

  private:
    std::vector<bool> m_spoken;  // in this round, per participant
};

// The speaking orders by name: "random", "list", "natural", "pooled".
inline constexpr const char* kSpeakingOrders[] = {"random", "list", "natural", "pooled"};

// The order called `name`, or null when there is none of that name.
std::shared_ptr<SpeakerPolicy> MakeSpeakingOrder(const std::string& name);

}  // namespace jabbery
