// SPDX-License-Identifier: MIT
#include "share/display_text.h"

#include "values/utf8.h"

namespace jabbery {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

std::string DisplayText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, pos);
        const auto first = static_cast<unsigned char>(text[pos]);
        if (length == 0) {
            shown += kReplacement;
            ++pos;
            continue;
        }
        if (first < 0x20 || first == 0x7F) {
            shown += ' ';
        } else {
            shown.append(text.substr(pos, length));
        }
        pos += length;
    }
    return shown;
}

}  // namespace jabbery
