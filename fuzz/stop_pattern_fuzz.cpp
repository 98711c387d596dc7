// SPDX-License-Identifier: MIT
// Any pattern against any reply of up to the longest reply's length: it
// compiles or is refused with a message, and a search ends, with no crash.
// The input is the pattern, a NUL, then the reply.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/stop_pattern.h"
#include "values/bot_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string pattern = input.substr(0, split);
    std::string reply = split == std::string::npos ? std::string() : input.substr(split + 1);
    if (reply.size() > jabbery::kMaxReplyLength) reply.resize(jabbery::kMaxReplyLength);
    std::string error;
    const auto compiled = jabbery::StopPattern::Compile(pattern, error);
    if (!compiled) {
        if (error.empty()) std::abort();
        return 0;
    }
    compiled->FoundIn(reply);
    return 0;
}
