// SPDX-License-Identifier: MIT
#pragma once

#include <string>

class wxString;
class wxWindow;

namespace jabbery {

// Opens `url` in the desktop's web browser. When none opens it, a message
// box owned by `parent` says so.
void OpenInBrowser(wxWindow* parent, const wxString& url);

// Opens `folder` in the desktop's file manager (through xdg-open). When
// nothing opens it, a message box owned by `parent` says so and where the
// folder is.
void OpenInFileManager(wxWindow* parent, const std::string& folder);

}  // namespace jabbery
