// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>

namespace jabbery {

// Opens a TCP connection to `host` (a name or an address) at `port` and
// closes it at once, sending nothing. Returns empty text when a connection
// was made within `limit` (looking up the name included), else what failed
// in words: "connection refused", "no answer within 2 s", "unknown host", ...
std::string ProbeTcpConnection(const std::string& host, const std::string& port,
                               std::chrono::milliseconds limit);

}  // namespace jabbery
