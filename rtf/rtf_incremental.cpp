// SPDX-License-Identifier: MIT
#include "rtf/rtf_incremental.h"

#include <utility>

namespace jabbery::rtf {

IncrementalRtfReader::IncrementalRtfReader(std::string trailer) : m_trailer(std::move(trailer)) {}

DocumentUpdate IncrementalRtfReader::Append(std::string_view part) {
    DocumentUpdate update;
    if (part.empty()) return update;  // nothing new: what is shown stays right
    RunList runs;
    m_atBodyEnd.Feed(part, runs);
    update.m_removeChars = m_trailerChars;
    // The trailer is read by a copy, so the saved state stays at the body's
    // end; what it shows is counted apart, to be taken away next time.
    RtfReader at_end = m_atBodyEnd;
    RunList shown_by_trailer;
    at_end.Feed(m_trailer, shown_by_trailer);
    at_end.Finish(shown_by_trailer);
    m_trailerChars = CountChars(shown_by_trailer.Runs());
    for (const auto& run : shown_by_trailer.Runs()) runs.Append(run);
    update.m_runs = runs.Take();
    return update;
}

}  // namespace jabbery::rtf
