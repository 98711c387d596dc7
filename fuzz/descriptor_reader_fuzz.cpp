// SPDX-License-Identifier: MIT
// A descriptor of any bytes gives a bot whose name and command are single
// lines of at most kMaxDescriptorLine characters, and names its folder.
// The descriptor is a real file, as the set-up reads it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "engine/bot_descriptor.h"
#include "platform/test_temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const jabbery::testing::TempFolder bot_folder;  // removed at exit
    const std::string& folder = bot_folder.Path();
    std::ofstream(folder + "/vorn.nfo", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const std::optional<jabbery::Participant> bot = jabbery::ReadBot(folder);
    if (!bot) std::abort();
    for (const jabbery::CPlainString& line : {bot->m_name, bot->m_command}) {
        if (line.Length() > jabbery::kMaxDescriptorLine ||
            line.Str().find('\n') != std::string::npos) {
            std::abort();
        }
    }
    if (bot->m_folder.Str() != folder + "/") std::abort();
    return 0;
}
