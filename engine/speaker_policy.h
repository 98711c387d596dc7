// SPDX-License-Identifier: MIT
#pragma once

namespace jabbery {

// Chooses who speaks after each turn. Abstract so that another rule (an
// order, a weighting) can stand in for the first; the conversation holds one.
class SpeakerPolicy {
  public:
    virtual ~SpeakerPolicy() = default;

    // Who of `count` speakers (at least two) speaks after `current`.
    virtual int Next(int current, int count) = 0;
};

// At random with std::rand(), never the one that just spoke: for the same
// seed (std::srand), the same speakers as ever.
class RandomSpeakers final : public SpeakerPolicy {
  public:
    int Next(int current, int count) override;
};

}  // namespace jabbery
