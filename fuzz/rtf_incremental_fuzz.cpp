// SPDX-License-Identifier: MIT
// The incremental reader, given a document's header and body in two parts,
// leaves the view showing after each part exactly what a full read of the
// parts so far and the trailer shows. The input is split at its first byte
// into the two parts of the body.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "rtf/rtf_incremental.h"

namespace {

using jabbery::rtf::StyledRun;

// Applies `update` to what a view shows, as a view would.
void Apply(const jabbery::rtf::DocumentUpdate& update, std::vector<StyledRun>& shown) {
    for (std::size_t left = update.m_removeChars; left > 0;) {
        if (shown.empty()) std::abort();  // asked to remove more than is shown
        std::string& text = shown.back().m_text;
        // One code point: a lead byte and the continuation bytes after it.
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) {
            text.pop_back();
        }
        if (!text.empty()) text.pop_back();
        --left;
        if (text.empty()) shown.pop_back();
    }
    jabbery::rtf::RunList merged;
    for (const StyledRun& run : shown) merged.Append(run);
    for (const StyledRun& run : update.m_runs) merged.Append(run);
    shown = merged.Take();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t cut = std::min<std::size_t>(data[0], input.size());
    const std::string header = "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}";
    const std::string trailer = "\n\\par }";
    const std::string first = header + input.substr(0, cut);

    jabbery::rtf::IncrementalRtfReader reader(trailer);
    std::vector<StyledRun> shown;
    Apply(reader.Append(first), shown);
    if (shown != jabbery::rtf::ParseDocument(first + trailer)) std::abort();
    Apply(reader.Append(input.substr(cut)), shown);
    if (shown != jabbery::rtf::ParseDocument(header + input + trailer)) std::abort();
    return 0;
}
