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

// Opens the manual with the desktop's viewer for HTML. When there is no
// copy of it, or no viewer, the user is told so in a message box over
// `parent`.
void OpenManual(wxWindow* parent);

}  // namespace jabbery
