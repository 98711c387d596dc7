// SPDX-License-Identifier: MIT
// A reply read from any bytes holds no CR and no delimiter, starts with no
// white space and keeps at most kMaxReplyLength characters.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "engine/exchange.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    const std::string reply = jabbery::ReadReply(stream, '\n').Str();
    if (reply.size() > jabbery::kMaxReplyLength ||
        reply.find_first_of("\r\n") != std::string::npos ||
        (!reply.empty() && std::isspace(static_cast<unsigned char>(reply[0])))) {
        std::abort();
    }
    return 0;
}
