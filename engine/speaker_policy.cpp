// SPDX-License-Identifier: MIT
#include "engine/speaker_policy.h"

#include <cstdlib>

namespace jabbery {

int RandomSpeakers::Next(int current, int count) {
    // Drawn again until another comes up, rather than drawn from the others:
    // the draws, and so a seeded conversation, stay as they always were.
    int next = current;
    while (next == current) next = std::rand() % count;
    return next;
}

}  // namespace jabbery
