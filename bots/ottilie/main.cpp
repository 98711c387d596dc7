// SPDX-License-Identifier: MIT
// Ottilie, a calm listener: she answers what you say with questions about it,
// in the manner of a patient counsellor, and now and then brings back
// something you mentioned earlier. Her memory lives in the file ottilie.mem
// in her folder ("topic ..." and "said ..." lines); deleting it makes her
// forget.
#include <string>
#include <string_view>

#include "bots/ottilie/listener.h"
#include "bots/vorn_bot.h"
#include "platform/plain_file.h"
#include "platform/whole_file.h"

namespace {

constexpr const char* kMemoryFile = "ottilie.mem";
constexpr std::string_view kTopicPrefix = "topic ";
constexpr std::string_view kSaidPrefix = "said ";

ottilie::Memory LoadMemory() {
    ottilie::Memory memory;
    // Only a plain file of her own: a link or a second hard link planted
    // under the name leads to a file that is not her memory.
    jabbery::PlainFileReader reader;
    std::string ignored;
    if (!reader.Open(kMemoryFile, ignored)) return memory;
    std::string line;
    while (std::getline(reader.Stream(), line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // Anything that is not one of her own short lines is ignored.
        if (line.size() > ottilie::kMaxAnswerBytes + kTopicPrefix.size()) continue;
        const std::string_view text(line);
        if (text.starts_with(kTopicPrefix) && text.size() > kTopicPrefix.size() &&
            memory.topics.size() < ottilie::Memory::kMaxTopics) {
            memory.topics.emplace_back(text.substr(kTopicPrefix.size()));
        } else if (text.starts_with(kSaidPrefix) &&
                   memory.recent.size() < ottilie::Memory::kMaxRecent) {
            memory.recent.emplace_back(text.substr(kSaidPrefix.size()));
        }
    }
    return memory;
}

// Written beside and renamed into place, so nothing planted under either
// name is written through; it is hers alone to read. A memory that cannot be
// saved (a read-only folder) only makes her forget.
void SaveMemory(const ottilie::Memory& memory) {
    std::string text;
    for (const std::string& topic : memory.topics)
        text += std::string(kTopicPrefix) + topic + "\r\n";
    for (const std::string& said : memory.recent) text += std::string(kSaidPrefix) + said + "\r\n";
    std::string ignored;
    jabbery::ReplaceWholeFile(kMemoryFile, text, ignored, jabbery::FileAccess::kOwnerOnly);
}

}  // namespace

int main() {
    return vorn::Serve([](const vorn::Request& request) {
        ottilie::Memory memory = LoadMemory();
        std::string answer = ottilie::Answer(request.message, memory);
        SaveMemory(memory);
        return answer;
    });
}
