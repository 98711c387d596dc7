// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace jabbery {

// The name the user goes by: the full name in the password database up to
// its first comma, else the login name; empty when neither is known.
std::string AccountName();

}  // namespace jabbery
