// SPDX-License-Identifier: MIT
// The one check of a UTF-8 sequence, for everything that cleans untrusted
// text: the terminal's filter, the exports' display text and the sample bots.
#pragma once

#include <cstddef>
#include <string_view>

namespace jabbery {

// Length of the valid UTF-8 sequence at `pos`, or 0 when the bytes there are
// not one (a stray continuation byte, an overlong or truncated sequence, a
// surrogate or a value past U+10FFFF).
inline std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(pos);
    if (first < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;  // the allowed range of the second byte
    unsigned char high = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        length = 2;
    } else if (first >= 0xE0 && first <= 0xEF) {
        length = 3;
        if (first == 0xE0) low = 0xA0;   // overlong
        if (first == 0xED) high = 0x9F;  // surrogates
    } else if (first >= 0xF0 && first <= 0xF4) {
        length = 4;
        if (first == 0xF0) low = 0x90;   // overlong
        if (first == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (pos + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

}  // namespace jabbery
