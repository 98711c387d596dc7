// SPDX-License-Identifier: MIT
#include "shell/program_title.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>

namespace jabbery {

wxString ProgramTitle() {
    const wxString name = wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetName();
    return name.empty() ? wxString("jabbery") : name;
}

}  // namespace jabbery
