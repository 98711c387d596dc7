// SPDX-License-Identifier: MIT
#include "platform/terminal_filter.h"

#include "values/utf8.h"

namespace jabbery {

std::string ForTerminal(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            shown += (byte < 0x20 && byte != '\t') || byte == 0x7F ? '?' : text[i];
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            // A stray byte: 0x80 to 0x9F would be a C1 control to a terminal
            // that reads single bytes; the others show as the terminal likes.
            shown += byte <= 0x9F ? '?' : text[i];
            ++i;
        } else if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            shown += '?';  // U+0080 to U+009F, the C1 controls
            i += 2;
        } else {
            shown.append(text.substr(i, length));
            i += length;
        }
    }
    return shown;
}

std::string ShownOn(std::string_view text, bool for_terminal) {
    return for_terminal ? ForTerminal(text) : std::string(text);
}

}  // namespace jabbery
