// SPDX-License-Identifier: MIT
#pragma once

#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "rtf/rtf_incremental.h"
#include "rtf/rtf_reader.h"
#include "transcript/transcript.h"
#include "values/bot_colours.h"

namespace jabbery::testing {

// Transcript documents as the transcript writes them, for tests and benchmarks.
inline std::string RtfDocument(const std::string& body) {
    return kRtfHeader + body + kRtfTrailer;
}

// A bot's introduction line: its folder (already RTF-escaped), bold, in its colour.
inline std::string IntroLine(int bot, const std::string& folder_rtf) {
    return "\\b \\cf" + std::to_string(bot) + " " + folder_rtf + "\\line ";
}

// A turn line: the name bold, then the reply as it stands, in the bot's colour.
inline std::string TurnLine(int bot, const std::string& name, const std::string& reply) {
    return "\\cf" + std::to_string(bot) + " \\b " + name + "> \\b0 " + reply + "\\line ";
}

inline const char* const kSampleNames[] = {"WREN", "HASK", "OTTILIE", "BRIXLEY"};

// Turn `turn` between four bots, with replies of the usual kinds, escapes included.
inline std::string SampleTurn(std::int64_t turn) {
    static const char* const kReplies[] = {
        "A fairly ordinary reply of the kind bots give, some sixty characters.",
        "Why do you say that?",
        "I am not sure I follow you, but do go on; it sounds interesting enough.",
        "Caf\\'e9 au lait, s'il vous pla\\'eet \\'e2\\'80\\'94 with {braces} and \\\\ too.",
    };
    return TurnLine(static_cast<int>(turn % 4), kSampleNames[turn % 4], kReplies[(turn / 4) % 4]);
}

// The first part a view is handed: the header and four introduction lines.
inline std::string SampleStart() {
    std::string start = kRtfHeader;
    for (int bot = 0; bot < 4; ++bot) {
        start += IntroLine(bot, std::string("/home/user/bots/") + kSampleNames[bot] + "/");
    }
    return start;
}

// `length` bytes or a little more of pieces that reach every reader state, and random bytes.
inline std::string RandomRtf(std::mt19937& random, std::size_t length) {
    static const std::vector<std::string> kPieces = {
        "{",         "}",          "\\",       "\\'",      "\\'c3",   "\\'a9", "\\line ",
        "\\line",    "\\li",       "\\par ",   "\\par",    "\\pa",    "\\b ",  "\\b0 ",
        "\\cf",      "\\cf1 ",     "\\cf3 ",   "\\cf14 ",  "\\plain", "\\*",   "\\bin",
        "\\bin3 ",   "\\u",        "\\u8364?", "\\uc2",    "\\tab",   " ",     "-",
        "9",         "\xc3",       "\xa9",     "\xe2\x82", "\xac",    "\r\n",  "abc",
        "\\fonttbl", "\\colortbl", ";",        "\\red9",   "\\~",     "\\\n",  std::string(1, '\0'),
        "\xff",
    };
    std::string text;
    while (text.size() < length) {
        text += random() % 4 ? kPieces[random() % kPieces.size()]
                             : std::string(1, static_cast<char>(random() % 256));
    }
    return text;
}

// Well-formed UTF-8 without NULs: no overlong form, surrogate or value past U+10FFFF.
inline bool IsValidUtf8(const std::string& text) {
    for (std::size_t i = 0, length = 0; i < text.size(); i += length) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int ones = std::countl_one(lead);  // 0 for ASCII, else the length
        length = ones == 0 ? 1 : static_cast<std::size_t>(ones);
        if (ones == 1 || ones > 4 || i + length > text.size()) return false;
        char32_t code_point = lead & (0xFF >> (ones + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code_point = (code_point << 6) | (next & 0x3F);
        }
        const char32_t minimum[] = {0, 1, 0x80, 0x800, 0x10000};
        if (code_point < minimum[length] || code_point > 0x10FFFF ||
            (code_point >= 0xD800 && code_point <= 0xDFFF)) {
            return false;
        }
    }
    return true;
}

// Runs hold valid UTF-8 without NULs, none is empty, no two neighbours share a style.
inline bool IsWellFormed(const std::vector<rtf::StyledRun>& runs) {
    for (std::size_t i = 0; i < runs.size(); ++i) {
        if (runs[i].m_text.empty() || !IsValidUtf8(runs[i].m_text)) return false;
        if (i > 0 && runs[i].m_colour == runs[i - 1].m_colour &&
            runs[i].m_bold == runs[i - 1].m_bold)
            return false;
    }
    return true;
}

// What a text control holds: one code point per entry, with its style.
inline std::vector<rtf::StyledRun> Expand(const std::vector<rtf::StyledRun>& runs) {
    std::vector<rtf::StyledRun> shown;
    for (const auto& run : runs) {
        for (char c : run.m_text) {
            if ((static_cast<unsigned char>(c) & 0xC0) == 0x80) {
                shown.back().m_text += c;
            } else {
                shown.push_back(rtf::StyledRun{std::string(1, c), run.m_colour, run.m_bold});
            }
        }
    }
    return shown;
}

// Does to `shown` (as Expand makes it) what a view does with `update`;
// false when it removes more than is shown.
inline bool ApplyUpdate(const rtf::DocumentUpdate& update, std::vector<rtf::StyledRun>& shown) {
    if (update.m_removeChars > shown.size()) return false;
    shown.resize(shown.size() - update.m_removeChars);
    for (const auto& c : Expand(update.m_runs)) shown.push_back(c);
    return true;
}

inline std::string TextOf(const std::vector<rtf::StyledRun>& runs) {
    std::string text;
    for (const auto& run : runs) text += run.m_text;
    return text;
}

}  // namespace jabbery::testing
