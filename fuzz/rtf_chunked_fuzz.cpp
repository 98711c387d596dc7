// SPDX-License-Identifier: MIT
// The RTF reader fed in pieces shows what it shows when fed the whole
// document at once. The first byte chooses where the pieces are cut.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "rtf/rtf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t step = data[0] % 17 + 1;
    const std::string_view document(reinterpret_cast<const char*>(data) + 1, size - 1);
    jabbery::rtf::RtfReader reader;
    jabbery::rtf::RunList runs;
    for (std::size_t at = 0; at < document.size(); at += step) {
        reader.Feed(document.substr(at, step), runs);
    }
    reader.Finish(runs);
    if (runs.Take() != jabbery::rtf::ParseDocument(document)) std::abort();
    return 0;
}
