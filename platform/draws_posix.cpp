// SPDX-License-Identifier: MIT
#include <stdlib.h>

#include "platform/draws.h"

namespace jabbery {

namespace {

// The C library's generator with a state of its own: random_r is the
// generator rand uses, and a state of 128 bytes is the kind rand keeps,
// so a seed gives the draws std::rand gives for it.
class ThreadDraws {
  public:
    ThreadDraws() { Seed(1); }

    void Seed(unsigned seed) {
        // initstate_r reads the table pointer it replaces: it must start zeroed.
        m_data = random_data{};
        ::initstate_r(seed, m_state, sizeof m_state, &m_data);
    }

    int Next() {
        int32_t draw = 0;
        ::random_r(&m_data, &draw);
        return draw;
    }

  private:
    char m_state[128];
    random_data m_data{};
};

thread_local ThreadDraws t_draws;

}  // namespace

void SeedDraws(unsigned seed) {
    t_draws.Seed(seed);
}

int Draw() {
    return t_draws.Next();
}

}  // namespace jabbery
