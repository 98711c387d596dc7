// SPDX-License-Identifier: MIT
#include "rtf/rtf_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace jabbery::rtf {

namespace {

// Numeric parameters are clamped to this magnitude, so any run of digits is
// read without overflow and stays far out of range for every index we use.
constexpr std::int64_t kMaxParam = 2'000'000'000;

enum class Word {
    kUnknown,
    kB,
    kBin,
    kBlue,
    kBullet,
    kCf,
    kColourTable,
    kEmdash,
    kEmspace,
    kEndash,
    kEnspace,
    kGreen,
    kLdblquote,
    kLine,
    kLquote,
    kPar,
    kPlain,
    kRdblquote,
    kRed,
    kRquote,
    kSkippedDestination,
    kTab,
    kU,
    kUc,
};

struct WordEntry {
    std::string_view m_name;
    Word m_word;
};

constexpr std::array kWords = {
    WordEntry{"annotation", Word::kSkippedDestination},
    WordEntry{"atnauthor", Word::kSkippedDestination},
    WordEntry{"atnid", Word::kSkippedDestination},
    WordEntry{"b", Word::kB},
    WordEntry{"bin", Word::kBin},
    WordEntry{"bkmkend", Word::kSkippedDestination},
    WordEntry{"bkmkstart", Word::kSkippedDestination},
    WordEntry{"blue", Word::kBlue},
    WordEntry{"bullet", Word::kBullet},
    WordEntry{"cf", Word::kCf},
    WordEntry{"colorschememapping", Word::kSkippedDestination},
    WordEntry{"colortbl", Word::kColourTable},
    WordEntry{"comment", Word::kSkippedDestination},
    WordEntry{"datastore", Word::kSkippedDestination},
    WordEntry{"emdash", Word::kEmdash},
    WordEntry{"emspace", Word::kEmspace},
    WordEntry{"endash", Word::kEndash},
    WordEntry{"enspace", Word::kEnspace},
    WordEntry{"filetbl", Word::kSkippedDestination},
    WordEntry{"fldinst", Word::kSkippedDestination},
    WordEntry{"fonttbl", Word::kSkippedDestination},
    WordEntry{"footer", Word::kSkippedDestination},
    WordEntry{"footerf", Word::kSkippedDestination},
    WordEntry{"footerl", Word::kSkippedDestination},
    WordEntry{"footerr", Word::kSkippedDestination},
    WordEntry{"footnote", Word::kSkippedDestination},
    WordEntry{"generator", Word::kSkippedDestination},
    WordEntry{"green", Word::kGreen},
    WordEntry{"header", Word::kSkippedDestination},
    WordEntry{"headerf", Word::kSkippedDestination},
    WordEntry{"headerl", Word::kSkippedDestination},
    WordEntry{"headerr", Word::kSkippedDestination},
    WordEntry{"info", Word::kSkippedDestination},
    WordEntry{"latentstyles", Word::kSkippedDestination},
    WordEntry{"ldblquote", Word::kLdblquote},
    WordEntry{"line", Word::kLine},
    WordEntry{"listoverridetable", Word::kSkippedDestination},
    WordEntry{"listtable", Word::kSkippedDestination},
    WordEntry{"lquote", Word::kLquote},
    WordEntry{"nonshppict", Word::kSkippedDestination},
    WordEntry{"object", Word::kSkippedDestination},
    WordEntry{"par", Word::kPar},
    WordEntry{"pict", Word::kSkippedDestination},
    WordEntry{"plain", Word::kPlain},
    WordEntry{"rdblquote", Word::kRdblquote},
    WordEntry{"red", Word::kRed},
    WordEntry{"revtbl", Word::kSkippedDestination},
    WordEntry{"rquote", Word::kRquote},
    WordEntry{"rsidtbl", Word::kSkippedDestination},
    WordEntry{"stylesheet", Word::kSkippedDestination},
    WordEntry{"tab", Word::kTab},
    WordEntry{"tc", Word::kSkippedDestination},
    WordEntry{"themedata", Word::kSkippedDestination},
    WordEntry{"u", Word::kU},
    WordEntry{"uc", Word::kUc},
    WordEntry{"xe", Word::kSkippedDestination},
    WordEntry{"xmlnstbl", Word::kSkippedDestination},
};

constexpr std::uint32_t HashWord(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

// An open-addressing table over kWords: control words are looked up once
// each, so this is on the reader's hot path.
constexpr std::size_t kWordSlots = 256;
constexpr auto kWordTable = [] {
    std::array<int, kWordSlots> slots{};
    for (int& slot : slots) slot = -1;
    for (std::size_t i = 0; i < kWords.size(); ++i) {
        std::size_t at = HashWord(kWords[i].m_name) % kWordSlots;
        while (slots[at] >= 0) at = (at + 1) % kWordSlots;
        slots[at] = static_cast<int>(i);
    }
    return slots;
}();

Word LookUp(std::string_view name) {
    for (std::size_t at = HashWord(name) % kWordSlots; kWordTable[at] >= 0;
         at = (at + 1) % kWordSlots) {
        const WordEntry& entry = kWords[static_cast<std::size_t>(kWordTable[at])];
        if (entry.m_name == name) return entry.m_word;
    }
    return Word::kUnknown;
}

bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Bytes that are shown as themselves wherever text is plain: printable ASCII
// without the three RTF specials, and the tab.
constexpr std::array<bool, 256> kPlainText = [] {
    std::array<bool, 256> table{};
    for (int c = 0x20; c < 0x7f; ++c) table[c] = true;
    table['\\'] = table['{'] = table['}'] = false;
    table['\t'] = true;
    return table;
}();

// Windows-1252 for 0x80-0x9F; the five unassigned bytes keep their C1 code
// points, as the Windows conversion does. 0xA0-0xFF equal their code points.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t Windows1252(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kWindows1252High[byte - 0x80];
    return byte;
}

// Writes `code_point` as UTF-8 into `buffer`; returns the length.
std::size_t EncodeUtf8(char32_t code_point, char* buffer) {
    if (code_point < 0x80) {
        buffer[0] = static_cast<char>(code_point);
        return 1;
    }
    if (code_point < 0x800) {
        buffer[0] = static_cast<char>(0xC0 | (code_point >> 6));
        buffer[1] = static_cast<char>(0x80 | (code_point & 0x3F));
        return 2;
    }
    if (code_point < 0x10000) {
        buffer[0] = static_cast<char>(0xE0 | (code_point >> 12));
        buffer[1] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
        buffer[2] = static_cast<char>(0x80 | (code_point & 0x3F));
        return 3;
    }
    buffer[0] = static_cast<char>(0xF0 | (code_point >> 18));
    buffer[1] = static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    buffer[2] = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    buffer[3] = static_cast<char>(0x80 | (code_point & 0x3F));
    return 4;
}

// Length of the UTF-8 sequence that `lead` starts, or 0 if it starts none.
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Whether `byte` may follow `lead` as the first continuation byte; the
// narrowed ranges exclude overlong forms, surrogates and code points beyond
// U+10FFFF.
bool FirstContinuationFits(unsigned char lead, unsigned char byte) {
    switch (lead) {
        case 0xE0:
            return byte >= 0xA0 && byte <= 0xBF;
        case 0xED:
            return byte >= 0x80 && byte <= 0x9F;
        case 0xF0:
            return byte >= 0x90 && byte <= 0xBF;
        case 0xF4:
            return byte >= 0x80 && byte <= 0x8F;
        default:
            return byte >= 0x80 && byte <= 0xBF;
    }
}

constexpr std::string_view kBinaryLine = "\\line";
constexpr std::string_view kBinaryPar = "\\par";

}  // namespace

void RunList::Append(std::string_view utf8, Colour colour, bool bold) {
    if (utf8.empty()) return;
    if (m_runs.empty() || m_runs.back().m_colour != colour || m_runs.back().m_bold != bold) {
        m_runs.push_back(StyledRun{std::string(), colour, bold});
    }
    m_runs.back().m_text.append(utf8);
}

std::size_t CountChars(const std::vector<StyledRun>& runs) {
    std::size_t count = 0;
    for (const auto& run : runs) {
        // Every byte but a continuation byte starts a character.
        for (char c : run.m_text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return count;
}

RtfReader::RtfReader() = default;

void RtfReader::Feed(std::string_view bytes, RunList& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const unsigned char c = *p;
        switch (m_lexer) {
            case Lexer::kText:
                if (kPlainText[c] && m_state.m_destination == Destination::kText &&
                    m_unicodeSkipLeft == 0 && m_pendingLength == 0 && !m_paragraphPending &&
                    m_highSurrogate == 0) {
                    // The common case: a stretch of plain text goes out in one piece.
                    const auto* stop = p + 1;
                    while (stop < end && kPlainText[*stop]) ++stop;
                    out.Append(std::string_view(reinterpret_cast<const char*>(p),
                                                static_cast<std::size_t>(stop - p)),
                               m_state.m_colour, m_state.m_bold);
                    m_groupStart = false;
                    p = stop;
                    continue;
                }
                if (c == '\\') {
                    m_lexer = Lexer::kBackslash;
                } else if (c == '{') {
                    OpenGroup();
                } else if (c == '}') {
                    CloseGroup();
                } else if (c != '\r' && c != '\n') {
                    // Raw line ends are not text in RTF; everything else is.
                    m_groupStart = false;
                    TextByte(c, out);
                }
                break;
            case Lexer::kBackslash:
                if (IsLetter(c)) {
                    m_lexer = Lexer::kWord;
                    m_word[0] = static_cast<char>(c);
                    m_wordLength = 1;
                    m_wordTooLong = false;
                    m_hasParam = false;
                    m_negative = false;
                    m_param = 0;
                } else {
                    m_lexer = Lexer::kText;
                    ControlSymbol(c, out);
                }
                break;
            case Lexer::kWord:
                if (IsLetter(c)) {
                    if (m_wordLength < kMaxWordLength) {
                        m_word[m_wordLength++] = static_cast<char>(c);
                    } else {
                        m_wordTooLong = true;
                    }
                } else if (IsDigit(c)) {
                    m_lexer = Lexer::kParam;
                    m_hasParam = true;
                    m_param = c - '0';
                } else if (c == '-') {
                    m_lexer = Lexer::kParamSign;
                } else if (!EndWordOrParam(c, out)) {
                    continue;
                }
                break;
            case Lexer::kParamSign:
                if (IsDigit(c)) {
                    m_lexer = Lexer::kParam;
                    m_hasParam = true;
                    m_negative = true;
                    m_param = c - '0';
                } else {
                    // A '-' without digits was no parameter: the word ends
                    // before it and the '-' is read as what follows the word.
                    m_lexer = Lexer::kText;
                    ControlWord(out);
                    if (m_lexer == Lexer::kBinary) {
                        BinaryByte('-');
                    } else {
                        m_groupStart = false;
                        TextByte('-', out);
                    }
                    continue;
                }
                break;
            case Lexer::kParam:
                if (IsDigit(c)) {
                    m_param = std::min(m_param * 10 + (c - '0'), kMaxParam);
                } else if (!EndWordOrParam(c, out)) {
                    continue;
                }
                break;
            case Lexer::kHex1:
                if (HexValue(c) < 0) {
                    // "\'" without hex digits shows nothing; the byte is read anew.
                    m_lexer = Lexer::kText;
                    continue;
                }
                m_hexHigh = static_cast<unsigned>(HexValue(c));
                m_lexer = Lexer::kHex2;
                break;
            case Lexer::kHex2:
                m_lexer = Lexer::kText;
                if (HexValue(c) < 0) continue;
                TextByte(static_cast<unsigned char>(m_hexHigh * 16 + HexValue(c)), out);
                break;
            case Lexer::kBinary:
                if (!BinaryByte(c)) continue;
                break;
        }
        ++p;
    }
}

void RtfReader::Finish(RunList& out) {
    switch (m_lexer) {
        case Lexer::kWord:
        case Lexer::kParamSign:
        case Lexer::kParam:
            // The end of the document delimits a control word like any other byte.
            m_lexer = Lexer::kText;
            ControlWord(out);
            break;
        case Lexer::kBinary:
            if (BinaryWordComplete()) {
                StartBinaryWord();
                m_lexer = Lexer::kText;
                ControlWord(out);
            }
            break;
        default:
            // A lone backslash, a cut "\'h" or unfinished binary data shows nothing.
            break;
    }
    m_lexer = Lexer::kText;
    // The break that closes the last paragraph is implicit.
    m_paragraphPending = false;
    Settle(out);
}

bool RtfReader::EndWordOrParam(unsigned char byte, RunList& out) {
    m_lexer = Lexer::kText;
    ControlWord(out);
    // The space that delimits a control word belongs to it; any other byte
    // is read anew (as binary data when the word was \bin).
    return byte == ' ';
}

void RtfReader::OpenGroup() {
    m_stack.push_back(m_state);
    m_groupStart = true;
    m_unicodeSkipLeft = 0;
}

void RtfReader::CloseGroup() {
    m_groupStart = false;
    m_unicodeSkipLeft = 0;
    // The outermost group never closes: a stray '}' must not end the document.
    if (m_stack.size() < 2) return;
    m_state = m_stack.back();
    m_stack.pop_back();
}

void RtfReader::ReturnToDocumentLevel() {
    if (m_stack.size() >= 2) {
        m_state = m_stack[1];
        m_stack.resize(1);
    }
    m_state.m_destination = Destination::kText;
    m_unicodeSkipLeft = 0;
    m_groupStart = false;
}

void RtfReader::TextByte(unsigned char byte, RunList& out) {
    switch (m_state.m_destination) {
        case Destination::kSkip:
            return;
        case Destination::kColourTable:
            if (byte == ';') {
                m_colourTable.push_back(m_entryHasValue ? m_entry : Colour{});
                m_entry = Colour{};
                m_entryHasValue = false;
            }
            return;
        case Destination::kText:
            break;
    }
    if (m_unicodeSkipLeft > 0) {
        // The stand-in for a \u character, for readers that lack \u.
        --m_unicodeSkipLeft;
        return;
    }
    if (m_paragraphPending || m_highSurrogate != 0) Settle(out);
    DecodeByte(byte, out);
}

void RtfReader::DecodeByte(unsigned char byte, RunList& out) {
    const Colour colour = m_state.m_colour;
    const bool bold = m_state.m_bold;
    if (m_pendingLength > 0 && (m_pendingColour != colour || m_pendingBold != bold)) {
        FlushPendingBytes(out);
    }
    if (m_pendingLength > 0) {
        const bool fits = m_pendingLength == 1 ? FirstContinuationFits(m_pending[0], byte)
                                               : byte >= 0x80 && byte <= 0xBF;
        if (fits) {
            m_pending[m_pendingLength++] = byte;
            if (m_pendingLength == m_pendingNeed) {
                out.Append(
                    std::string_view(reinterpret_cast<const char*>(m_pending), m_pendingLength),
                    colour, bold);
                m_pendingLength = 0;
            }
            return;
        }
        // Not UTF-8 after all: the held bytes are Windows-1252, and this byte
        // starts afresh (the held continuation bytes cannot start anything).
        FlushPendingBytes(out);
    }
    if (byte < 0x80) {
        // A NUL cannot be shown by any text control, so it is dropped.
        if (byte != 0) {
            const char c = static_cast<char>(byte);
            out.Append(std::string_view(&c, 1), colour, bold);
        }
        return;
    }
    m_pendingNeed = SequenceLength(byte);
    if (m_pendingNeed == 0) {
        char buffer[4];
        out.Append(std::string_view(buffer, EncodeUtf8(Windows1252(byte), buffer)), colour, bold);
        return;
    }
    m_pending[0] = byte;
    m_pendingLength = 1;
    m_pendingColour = colour;
    m_pendingBold = bold;
}

void RtfReader::FlushPendingBytes(RunList& out) {
    for (std::size_t i = 0; i < m_pendingLength; ++i) {
        char buffer[4];
        out.Append(std::string_view(buffer, EncodeUtf8(Windows1252(m_pending[i]), buffer)),
                   m_pendingColour, m_pendingBold);
    }
    m_pendingLength = 0;
}

void RtfReader::Settle(RunList& out) {
    if (m_paragraphPending) {
        m_paragraphPending = false;
        out.Append("\n", m_paragraphColour, m_paragraphBold);
    }
    if (m_highSurrogate != 0) {
        // A high surrogate without its low half.
        m_highSurrogate = 0;
        out.Append("\xEF\xBF\xBD", m_state.m_colour, m_state.m_bold);
    }
    FlushPendingBytes(out);
}

void RtfReader::EmitChar(char32_t code_point, RunList& out) {
    Settle(out);
    char buffer[4];
    out.Append(std::string_view(buffer, EncodeUtf8(code_point, buffer)), m_state.m_colour,
               m_state.m_bold);
}

void RtfReader::UnicodeChar(std::int64_t value, RunList& out) {
    // \u takes a signed 16-bit value; negative ones stand for 32768-65535.
    if (value < 0) value += 65536;
    m_unicodeSkipLeft = m_state.m_unicodeSkip;
    if (value >= 0xD800 && value <= 0xDBFF) {
        Settle(out);
        m_highSurrogate = static_cast<char32_t>(value);
        return;
    }
    if (value >= 0xDC00 && value <= 0xDFFF) {
        if (m_highSurrogate == 0) {
            EmitChar(0xFFFD, out);
            return;
        }
        const char32_t high = m_highSurrogate;
        m_highSurrogate = 0;
        EmitChar(0x10000 + ((high - 0xD800) << 10) + (static_cast<char32_t>(value) - 0xDC00), out);
        return;
    }
    if (value == 0) {
        Settle(out);
        return;
    }
    EmitChar(value > 0 && value <= 0x10FFFF ? static_cast<char32_t>(value) : 0xFFFD, out);
}

void RtfReader::ControlSymbol(unsigned char symbol, RunList& out) {
    const bool group_start = m_groupStart;
    m_groupStart = false;
    if (symbol == '\\' || symbol == '{' || symbol == '}') {
        TextByte(symbol, out);
        return;
    }
    if (symbol == '\'') {
        m_lexer = Lexer::kHex1;
        return;
    }
    m_unicodeSkipLeft = 0;
    switch (symbol) {
        case '*':
            // "{\*" marks a destination that may be ignored; we ignore all of them.
            if (group_start) m_state.m_destination = Destination::kSkip;
            return;
        case '\r':
        case '\n':
            // A backslash before a raw line end is a paragraph break.
            Paragraph(out);
            return;
        case '~':
            if (m_state.m_destination == Destination::kText) EmitChar(0x00A0, out);
            return;
        case '_':
            if (m_state.m_destination == Destination::kText) EmitChar(0x2011, out);
            return;
        default:
            return;
    }
}

void RtfReader::BreakLine(RunList& out) {
    Settle(out);
    ReturnToDocumentLevel();
    out.Append("\n", m_state.m_colour, m_state.m_bold);
}

void RtfReader::Paragraph(RunList& out) {
    Settle(out);
    ReturnToDocumentLevel();
    // Held back until more text follows, so the document's closing \par adds
    // no empty line at the end.
    m_paragraphPending = true;
    m_paragraphColour = m_state.m_colour;
    m_paragraphBold = m_state.m_bold;
}

void RtfReader::ControlWord(RunList& out) {
    const bool group_start = m_groupStart;
    m_groupStart = false;
    m_unicodeSkipLeft = 0;
    const Word word =
        m_wordTooLong ? Word::kUnknown : LookUp(std::string_view(m_word, m_wordLength));
    const std::int64_t param = m_negative ? -m_param : m_param;

    // These act in every destination.
    switch (word) {
        case Word::kLine:
            BreakLine(out);
            return;
        case Word::kPar:
            Paragraph(out);
            return;
        case Word::kBin:
            if (m_hasParam && param > 0) {
                m_lexer = Lexer::kBinary;
                m_binaryLeft = param;
                m_binaryWordLength = 0;
            }
            return;
        default:
            break;
    }

    if (group_start && m_state.m_destination == Destination::kText) {
        if (word == Word::kSkippedDestination) {
            m_state.m_destination = Destination::kSkip;
            return;
        }
        if (word == Word::kColourTable) {
            // Only the first colour table counts; a later one can only come
            // from a line's own text and must not recolour the other lines.
            m_state.m_destination =
                m_colourTableSeen ? Destination::kSkip : Destination::kColourTable;
            m_colourTableSeen = true;
            return;
        }
    }

    if (m_state.m_destination == Destination::kColourTable) {
        const auto component = static_cast<std::uint8_t>(std::clamp<std::int64_t>(param, 0, 255));
        switch (word) {
            case Word::kRed:
                m_entry.r = component;
                m_entryHasValue = true;
                break;
            case Word::kGreen:
                m_entry.g = component;
                m_entryHasValue = true;
                break;
            case Word::kBlue:
                m_entry.b = component;
                m_entryHasValue = true;
                break;
            default:
                break;
        }
        return;
    }
    if (m_state.m_destination != Destination::kText) return;

    switch (word) {
        case Word::kCf:
            m_state.m_colour = param >= 0 && param < static_cast<std::int64_t>(m_colourTable.size())
                                   ? m_colourTable[static_cast<std::size_t>(param)]
                                   : Colour{};
            break;
        case Word::kB:
            m_state.m_bold = !m_hasParam || param != 0;
            break;
        case Word::kPlain:
            m_state.m_bold = false;
            m_state.m_colour = Colour{};
            break;
        case Word::kTab:
            EmitChar('\t', out);
            break;
        case Word::kU:
            UnicodeChar(param, out);
            break;
        case Word::kUc:
            m_state.m_unicodeSkip =
                static_cast<std::uint8_t>(std::clamp<std::int64_t>(param, 0, 255));
            break;
        case Word::kEmdash:
            EmitChar(0x2014, out);
            break;
        case Word::kEndash:
            EmitChar(0x2013, out);
            break;
        case Word::kEmspace:
            EmitChar(0x2003, out);
            break;
        case Word::kEnspace:
            EmitChar(0x2002, out);
            break;
        case Word::kBullet:
            EmitChar(0x2022, out);
            break;
        case Word::kLquote:
            EmitChar(0x2018, out);
            break;
        case Word::kRquote:
            EmitChar(0x2019, out);
            break;
        case Word::kLdblquote:
            EmitChar(0x201C, out);
            break;
        case Word::kRdblquote:
            EmitChar(0x201D, out);
            break;
        default:
            break;
    }
}

bool RtfReader::BinaryWordComplete() const {
    const std::string_view seen(m_binaryWord, m_binaryWordLength);
    return seen == kBinaryLine || seen == kBinaryPar;
}

void RtfReader::StartBinaryWord() {
    m_lexer = Lexer::kWord;
    m_wordLength = m_binaryWordLength - 1;
    std::memcpy(m_word, m_binaryWord + 1, m_wordLength);
    m_wordTooLong = false;
    m_hasParam = false;
    m_negative = false;
    m_param = 0;
    m_binaryWordLength = 0;
}

bool RtfReader::BinaryByte(unsigned char byte) {
    if (BinaryWordComplete() && !IsLetter(byte)) {
        // A line break ends binary data early, so a \bin with a huge count
        // cannot swallow the lines after it. The break is read as a control
        // word from here on, also when its last letter was the last data byte.
        StartBinaryWord();
        return false;
    }
    if (m_binaryLeft == 0) {
        // The data ended with "\line" or "\par" and this letter shows it was
        // a longer word: it was data after all.
        m_lexer = Lexer::kText;
        m_binaryWordLength = 0;
        return false;
    }
    if (byte == '\\') {
        m_binaryWord[0] = '\\';
        m_binaryWordLength = 1;
    } else if (m_binaryWordLength > 0 && m_binaryWordLength < kBinaryLine.size()) {
        m_binaryWord[m_binaryWordLength] = static_cast<char>(byte);
        const std::string_view grown(m_binaryWord, m_binaryWordLength + 1);
        const bool prefix = kBinaryLine.starts_with(grown) || kBinaryPar.starts_with(grown);
        m_binaryWordLength = prefix ? m_binaryWordLength + 1 : 0;
    } else {
        m_binaryWordLength = 0;
    }
    if (--m_binaryLeft == 0 && !BinaryWordComplete()) {
        m_lexer = Lexer::kText;
        m_binaryWordLength = 0;
    }
    return true;
}

std::vector<StyledRun> ParseDocument(std::string_view document) {
    RtfReader reader;
    RunList runs;
    reader.Feed(document, runs);
    reader.Finish(runs);
    return runs.Take();
}

}  // namespace jabbery::rtf
