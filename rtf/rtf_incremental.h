// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "rtf/rtf_reader.h"

namespace jabbery::rtf {

// What a view must do to show a new document.
struct DocumentUpdate {
    // true: replace everything shown with m_runs. false: remove the last
    // m_removeChars characters (Unicode code points) shown, then append m_runs.
    bool m_rebuild = true;
    std::size_t m_removeChars = 0;
    std::vector<StyledRun> m_runs;
};

// Reads a document that usually grows at the end of its body, before a fixed
// trailer, without reading it all again each time. It keeps the reader's state
// at the end of the last document's body; when a new document is the old one
// with more body before the same trailer, only the new body part and the
// trailer are read. What the old trailer showed (normally nothing; at most
// text held back at the body's end) is taken away and shown anew, so the
// result is always exactly what a full read of the new document shows. Any
// other change gives a full rebuild.
//
// Apart from one comparison of the unchanged part (a memcmp), the cost of an
// update depends only on the size of the new part.
class IncrementalRtfReader {
  public:
    explicit IncrementalRtfReader(std::string trailer);

    // `unchanged_prefix`: how many leading bytes the caller promises are those
    // of the previous document, so they need no comparing (0: compare all).
    DocumentUpdate Update(std::string_view document, std::size_t unchanged_prefix = 0);

  private:
    DocumentUpdate Rebuild(std::string_view document);
    void ReadTrailer(RunList& runs);

    std::string m_trailer;
    bool m_hasCheckpoint = false;
    std::string m_body;              // the last document up to its trailer
    RtfReader m_atBodyEnd;           // the reader after m_body
    std::size_t m_trailerChars = 0;  // characters the last trailer showed
};

}  // namespace jabbery::rtf
