// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "rtf/rtf_reader.h"

namespace jabbery::rtf {

// What a view must do to show the next part of a document: remove the last
// m_removeChars characters (Unicode code points) shown, then append m_runs.
struct DocumentUpdate {
    std::size_t m_removeChars = 0;
    std::vector<StyledRun> m_runs;
};

// Reads a document handed over in parts, as a transcript grows: the first
// part is the header and the body so far, each later one what was added to
// the body. The document always counts as ending in a fixed trailer that is
// never handed over. The reader's state carries from one part to the next,
// so a part that opens a group or changes the colour affects those after it.
// The trailer is read by a copy of that state; what it shows (normally
// nothing; at most text held back at the body's end) is taken away again at
// the next part. After each part, everything the updates showed is exactly
// what a full read of the parts so far and the trailer shows.
//
// An update costs only the size of its part; no part is kept.
class IncrementalRtfReader {
  public:
    explicit IncrementalRtfReader(std::string trailer);

    // Reads `part`, the next bytes of the document before its trailer.
    DocumentUpdate Append(std::string_view part);

  private:
    std::string m_trailer;
    RtfReader m_atBodyEnd;           // the reader after the parts so far
    std::size_t m_trailerChars = 0;  // characters the last trailer showed
};

}  // namespace jabbery::rtf
