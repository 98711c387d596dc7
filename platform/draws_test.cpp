// SPDX-License-Identifier: MIT
#include "platform/draws.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace jabbery {
namespace {

// A seed gives std::rand's draws for it, whatever another thread draws meanwhile.
TEST(Draws, ASeedGivesTheDrawsOfStdRandOnEachThreadAlone) {
    std::srand(7);
    std::vector<int> expected;
    for (int i = 0; i < 1000; ++i) expected.push_back(std::rand());
    SeedDraws(7);
    std::vector<int> drawn;
    std::thread other([] {
        SeedDraws(3);
        for (int i = 0; i < 100000; ++i) Draw();
    });
    for (int i = 0; i < 1000; ++i) drawn.push_back(Draw());
    other.join();
    EXPECT_EQ(drawn, expected);
}

}  // namespace
}  // namespace jabbery
