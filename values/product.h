#pragma once

#include <string>

namespace jabbery {

// The program's version, set once by the build (the project's version).
inline constexpr const char* kVersion = JABBERY_VERSION;

// The main window's caption, "Jabbery 3.0.1", also the start of the About box's.
inline std::string ProgramTitle() {
    return std::string("Jabbery ") + kVersion;
}

}  // namespace jabbery
