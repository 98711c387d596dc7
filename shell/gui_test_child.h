#pragma once

#include <string>
#include <vector>

namespace jabbery::testing {

// True in the copy of the test program that RunInOwnDisplay started.
bool InOwnDisplay();

// Runs the test `test_name` ("Suite.Name") again in a copy of this program
// on a virtual display of its own, `width` x `height`, with `environment`
// ("NAME=value") set before the toolkit starts: for what the toolkit reads
// only at start-up, such as the theme or the scale. Returns whether the copy
// passed; its output goes to ours.
bool RunInOwnDisplay(const std::string& test_name, int width, int height,
                     const std::vector<std::string>& environment);

}  // namespace jabbery::testing
