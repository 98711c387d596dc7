// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jabbery::rtf {

struct Colour {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    bool operator==(const Colour&) const = default;
};

// One stretch of shown text in one style. The default colour is black.
struct StyledRun {
    std::string m_text;  // UTF-8
    Colour m_colour;
    bool m_bold = false;

    bool operator==(const StyledRun&) const = default;
};

// A growing list of runs: text in the same style as the last run joins it,
// so no two neighbouring runs share a style and no run is empty.
class RunList {
  public:
    void Append(std::string_view utf8, Colour colour, bool bold);
    void Append(const StyledRun& run) { Append(run.m_text, run.m_colour, run.m_bold); }

    const std::vector<StyledRun>& Runs() const { return m_runs; }
    std::vector<StyledRun> Take() { return std::move(m_runs); }

  private:
    std::vector<StyledRun> m_runs;
};

// The number of characters (Unicode code points) in `runs`, which is how a
// text control counts positions.
std::size_t CountChars(const std::vector<StyledRun>& runs);

// A resumable RTF reader: bytes go in through Feed in pieces of any size and
// shown text comes out as styled runs. Feeding a document in any split gives
// the same runs as feeding it whole, and the reader can be copied at any byte
// to continue from there later (see IncrementalRtfReader).
//
// It understands what a transcript needs and skips the rest safely: groups
// (an explicit stack, no recursion), control words and symbols, the font
// table (skipped), the first colour table, \cf \b \plain \line \par \tab
// \u \uc, ignorable destinations, \bin, and a few named characters. Unknown
// control words are ignored. Text bytes are read as UTF-8; a byte that does
// not start a valid UTF-8 sequence is read as Windows-1252.
//
// Names and replies reach the document unescaped, so one line's RTF may be
// malformed on purpose or by accident. To keep every other line intact, the
// line breaks \line and \par always act at document level: they close every
// group still open inside the document's outermost group (restoring that
// level's formatting) and end any skipped destination, \bin data or \u
// fallback, then break the line. A '}' that would close the outermost group
// is ignored, so a stray brace never ends the document. Only the first colour
// table is read; a later one is skipped, so no line can recolour the others.
// Formatting set inside a line (\cf, \b) lasts until the next line sets its
// own, as each transcript line does.
//
// A \par that ends the document is not shown: it closes the last paragraph,
// which needs no visible break of its own.
class RtfReader {
  public:
    RtfReader();

    // Reads `bytes`, the next part of the document, appending shown text.
    void Feed(std::string_view bytes, RunList& out);

    // Ends the document: a control word cut off by the end counts as ended
    // there; a lone backslash or a cut "\'h" shows nothing; bytes held back
    // (an unfinished UTF-8 sequence) are shown as Windows-1252. Feed no more
    // afterwards.
    void Finish(RunList& out);

  private:
    enum class Destination : std::uint8_t { kText, kSkip, kColourTable };
    enum class Lexer : std::uint8_t {
        kText,
        kBackslash,
        kWord,
        kParamSign,
        kParam,
        kHex1,
        kHex2,
        kBinary,
    };

    // Formatting and destination of one group level.
    struct GroupState {
        Colour m_colour;
        bool m_bold = false;
        Destination m_destination = Destination::kText;
        std::uint8_t m_unicodeSkip = 1;
    };

    static constexpr std::size_t kMaxWordLength = 32;

    void OpenGroup();
    void CloseGroup();
    void ReturnToDocumentLevel();
    void TextByte(unsigned char byte, RunList& out);
    void DecodeByte(unsigned char byte, RunList& out);
    void FlushPendingBytes(RunList& out);
    void Settle(RunList& out);
    void EmitChar(char32_t code_point, RunList& out);
    void UnicodeChar(std::int64_t value, RunList& out);
    void ControlSymbol(unsigned char symbol, RunList& out);
    void ControlWord(RunList& out);
    bool EndWordOrParam(unsigned char byte, RunList& out);
    void BreakLine(RunList& out);
    void Paragraph(RunList& out);
    bool BinaryByte(unsigned char byte);
    bool BinaryWordComplete() const;
    void StartBinaryWord();

    std::vector<GroupState> m_stack;  // enclosing levels; m_state is the current one
    GroupState m_state;
    bool m_groupStart = false;  // no control word yet since the last '{'
    bool m_colourTableSeen = false;

    std::vector<Colour> m_colourTable;
    Colour m_entry;
    bool m_entryHasValue = false;

    Lexer m_lexer = Lexer::kText;
    char m_word[kMaxWordLength];
    std::size_t m_wordLength = 0;
    bool m_wordTooLong = false;
    bool m_hasParam = false;
    bool m_negative = false;
    std::int64_t m_param = 0;
    unsigned m_hexHigh = 0;

    std::int64_t m_binaryLeft = 0;
    char m_binaryWord[6];  // the start of "\line" or "\par" seen in \bin data
    std::size_t m_binaryWordLength = 0;

    int m_unicodeSkipLeft = 0;
    char32_t m_highSurrogate = 0;

    unsigned char m_pending[4];  // an unfinished UTF-8 sequence
    std::size_t m_pendingLength = 0;
    std::size_t m_pendingNeed = 0;
    Colour m_pendingColour;
    bool m_pendingBold = false;

    bool m_paragraphPending = false;
    Colour m_paragraphColour;
    bool m_paragraphBold = false;
};

// Reads a whole document into merged runs.
std::vector<StyledRun> ParseDocument(std::string_view document);

}  // namespace jabbery::rtf
