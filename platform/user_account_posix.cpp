// SPDX-License-Identifier: MIT
#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "platform/user_account.h"

namespace jabbery {

std::string AccountName() {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr) {
        return "";
    }
    // The full name is the first of the comment field's comma-separated parts.
    std::string full = entry.pw_gecos != nullptr ? entry.pw_gecos : "";
    full = full.substr(0, full.find(','));
    return !full.empty() ? full : entry.pw_name != nullptr ? entry.pw_name : "";
}

}  // namespace jabbery
