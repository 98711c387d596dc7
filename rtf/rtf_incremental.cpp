// SPDX-License-Identifier: MIT
#include "rtf/rtf_incremental.h"

#include <algorithm>
#include <utility>

namespace jabbery::rtf {

IncrementalRtfReader::IncrementalRtfReader(std::string trailer) : m_trailer(std::move(trailer)) {}

DocumentUpdate IncrementalRtfReader::Update(std::string_view document,
                                            std::size_t unchanged_prefix) {
    // Only the part of the old body the caller did not vouch for is compared,
    // so an append costs the same however long the document has grown.
    const std::size_t trusted = std::min(unchanged_prefix, m_body.size());
    const bool extends = m_hasCheckpoint && document.size() >= m_body.size() + m_trailer.size() &&
                         document.ends_with(m_trailer) &&
                         document.substr(trusted, m_body.size() - trusted) ==
                             std::string_view(m_body).substr(trusted);
    if (!extends) return Rebuild(document);

    DocumentUpdate update;
    update.m_rebuild = false;
    const std::size_t body_end = document.size() - m_trailer.size();
    if (body_end == m_body.size()) return update;  // the same document again

    RunList runs;
    const std::string_view more = document.substr(m_body.size(), body_end - m_body.size());
    m_atBodyEnd.Feed(more, runs);
    m_body.append(more);
    update.m_removeChars = m_trailerChars;
    ReadTrailer(runs);
    update.m_runs = runs.Take();
    return update;
}

DocumentUpdate IncrementalRtfReader::Rebuild(std::string_view document) {
    DocumentUpdate update;
    RunList runs;
    m_atBodyEnd = RtfReader();
    m_hasCheckpoint = document.ends_with(m_trailer);
    if (!m_hasCheckpoint) {
        // Without the trailer there is no known end of body to resume from.
        m_body.clear();
        m_trailerChars = 0;
        m_atBodyEnd.Feed(document, runs);
        m_atBodyEnd.Finish(runs);
        update.m_runs = runs.Take();
        return update;
    }
    const std::string_view body = document.substr(0, document.size() - m_trailer.size());
    m_atBodyEnd.Feed(body, runs);
    // Room to grow: after a rebuild the body only grows, and reallocating a
    // long body at the first append would cost as much as this rebuild.
    m_body.reserve(2 * body.size());
    m_body.assign(body);
    ReadTrailer(runs);
    update.m_runs = runs.Take();
    return update;
}

void IncrementalRtfReader::ReadTrailer(RunList& runs) {
    // The trailer is read by a copy, so the saved state stays at the body's
    // end; what it shows is counted apart, to be taken away next time.
    RtfReader at_end = m_atBodyEnd;
    RunList shown_by_trailer;
    at_end.Feed(m_trailer, shown_by_trailer);
    at_end.Finish(shown_by_trailer);
    m_trailerChars = CountChars(shown_by_trailer.Runs());
    for (const auto& run : shown_by_trailer.Runs()) runs.Append(run);
}

}  // namespace jabbery::rtf
