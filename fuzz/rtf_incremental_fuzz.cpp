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
#include "rtf/test_rtf_documents.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t cut = std::min<std::size_t>(data[0], input.size());
    const std::string header = "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}";
    const std::string trailer = "\n\\par }";
    const std::string first = header + input.substr(0, cut);

    jabbery::rtf::IncrementalRtfReader reader(trailer);
    std::vector<jabbery::rtf::StyledRun> shown;
    const auto shows = [&](const std::string& part, const std::string& read) {
        return jabbery::testing::ApplyUpdate(reader.Append(part), shown) &&
               shown == jabbery::testing::Expand(jabbery::rtf::ParseDocument(read + trailer));
    };
    if (!shows(first, first) || !shows(input.substr(cut), header + input)) std::abort();
    return 0;
}
