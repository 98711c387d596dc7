// SPDX-License-Identifier: MIT
#include "shell/message_box_caption.h"

#include <wx/filename.h>
#include <wx/stdpaths.h>

namespace jabbery {

wxString MessageBoxCaption() {
    const wxString name = wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetName();
    return name.empty() ? wxString("jabbery") : name;
}

}  // namespace jabbery
