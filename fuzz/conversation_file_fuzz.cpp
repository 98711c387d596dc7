// SPDX-License-Identifier: MIT
// A conversation file of any bytes is read or refused with a message, never
// crashes the reader, and what it reads is written back as a file that
// reads to the same set-up ("Save set-up as…" must never write a file that
// its own reader refuses or reads otherwise).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/conversation_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // toml++ 3.3 (Debian 12) reaches an "unreachable" point in its own code
    // when it meets most non-ASCII characters where it looks for white
    // space (a stray "é" after a value); Jabbery's build reads such a file
    // as an error, but the sanitizer stops there. Its fault is not ours to
    // fuzz: the inputs keep to ASCII (escapes still give any character).
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return -1;
    }
    std::string error;
    const std::optional<jabbery::ConversationFile> file =
        jabbery::ParseConversationFile(text, "fuzz.jabbery", error);
    if (!file) {
        if (error.empty()) std::abort();
        return 0;
    }
    const std::string written = jabbery::ConversationFileText(*file);
    const std::optional<jabbery::ConversationFile> again =
        jabbery::ParseConversationFile(written, "again.jabbery", error);
    if (!again || !(*again == *file)) std::abort();
    return 0;
}
