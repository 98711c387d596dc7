// SPDX-License-Identifier: MIT
#pragma once

namespace jabbery {

// The random draws of the speaking orders, one sequence per thread, so that
// conversations running side by side on several threads each keep the
// draws of their own seed. A thread's sequence is the one std::rand gives
// after std::srand(seed); a thread that seeds nothing starts as after
// std::srand(1), as std::rand does.
void SeedDraws(unsigned seed);

// The calling thread's next draw, from 0 to RAND_MAX.
int Draw();

}  // namespace jabbery
