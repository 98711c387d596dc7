// SPDX-License-Identifier: MIT
// A descriptor of any bytes gives a bot whose name and command are single
// lines of at most kMaxDescriptorLine characters, in a roster slot that
// names its folder. The descriptor is a real file, as the roster reads it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/bot_descriptor.h"

namespace {

// The bot's folder, made once and removed at exit.
struct FuzzFolder {
    FuzzFolder() {
        char pattern[] = "/tmp/jabbery-fuzz-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) std::abort();
        m_path = pattern;
    }
    ~FuzzFolder() { std::filesystem::remove_all(m_path); }
    std::string m_path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzFolder fuzz_folder;
    const std::string& folder = fuzz_folder.m_path;
    std::ofstream(folder + "/vorn.nfo", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    jabbery::BotRoster roster;
    if (!jabbery::ReadDescriptor(roster, 0, folder)) std::abort();
    for (const jabbery::CPlainString& line : {roster.m_botName[0], roster.m_botCommand[0]}) {
        if (line.Length() > jabbery::kMaxDescriptorLine ||
            line.Str().find('\n') != std::string::npos) {
            std::abort();
        }
    }
    if (roster.m_botFolder[0].Str() != folder + "/") std::abort();
    return 0;
}
