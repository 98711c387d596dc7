// SPDX-License-Identifier: MIT
// A log of any bytes reads without a crash, and every turn it gives back
// has a speaker among its participants: replay, continue and the exports
// look each one up.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/conversation_log_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> problems;
    const jabbery::RecordedConversation read = jabbery::ReadConversationLog(in, problems);
    for (const jabbery::Turn& turn : read.m_turns) {
        if (read.Find(turn.m_speaker) == nullptr) std::abort();
    }
    for (const std::string& problem : problems) {
        if (problem.rfind("line ", 0) != 0) std::abort();
    }
    return 0;
}
