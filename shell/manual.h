// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

class wxWindow;

namespace jabbery {

inline constexpr const char* kManualFileName = "jabbhelp.html";

// The places the manual is looked for, in order: the working folder, the
// program's folder, then the installed copy under the program's prefix
// (<prefix>/share/jabbery, wherever the prefix is).
std::vector<std::string> ManualCandidates(const std::string& working_folder,
                                          const std::string& program_folder);

// The first candidate that is a file, or empty text.
std::string FindManual(const std::vector<std::string>& candidates);

// Shows the manual in the program's own manual window over `parent`. When
// there is no copy of it, the user is told so in a message box.
void OpenManual(wxWindow* parent);

}  // namespace jabbery
