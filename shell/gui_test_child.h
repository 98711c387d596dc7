#pragma once

#include <string>
#include <vector>

namespace jabbery::testing {

// True in the copy of the test program that RunInOwnDisplay started.
bool InOwnDisplay();

// Runs the test "Suite.Name" again in a copy of this program on a virtual
// display of its own, with `environment` ("NAME=value") set before the
// toolkit starts (the theme, the scale). Returns whether the copy passed.
bool RunInOwnDisplay(const std::string& test_name, int width, int height,
                     const std::vector<std::string>& environment);

}  // namespace jabbery::testing
