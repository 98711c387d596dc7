// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace jabbery {

// `count` and the word that fits it: "1 turn", "3 turns".
inline std::string Plural(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace jabbery
