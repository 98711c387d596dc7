// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace jabbery {

// The program's version, set once by the build (the project's version).
inline constexpr const char* kVersion = JABBERY_VERSION;

// The main window's caption, "Jabbery 3.0.1", also the start of the About box's.
inline std::string ProgramTitle() {
    return std::string("Jabbery ") + kVersion;
}

// Who holds the copyright and under which licence the programs are given,
// as the About box and every --version name them.
inline constexpr const char* kCopyrightLine = "Copyright (C) 2026 Jabbery developers";
inline constexpr const char* kLicenceName = "MIT";

// The text of `<program> --version`: the program's name and version, the
// copyright, the licence and the warranty disclaimer, one per line.
inline std::string VersionNotice(std::string_view program) {
    std::string notice(program);
    notice.append(" ").append(kVersion).append("\n");
    notice.append(kCopyrightLine).append("\nLicense: ").append(kLicenceName);
    notice +=
        " <https://opensource.org/licenses/MIT>\n"
        "This is free software: you are free to change and redistribute it.\n"
        "There is NO WARRANTY, to the extent permitted by law.\n";
    return notice;
}

}  // namespace jabbery
