// SPDX-License-Identifier: MIT
#include "shell/open_elsewhere.h"

#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

#include "shell/message_box_caption.h"
#include "shell/wx_text.h"

namespace jabbery {
namespace {

// Runs `launch`; when it opened nothing, shows `failure` in a box owned by `parent`.
template <typename Launch>
void LaunchOrSay(wxWindow* parent, Launch launch, const wxString& failure) {
    bool launched = false;
    {
        // The framework would log its own less helpful message as well.
        wxLogNull quiet;
        launched = launch();
    }
    if (!launched) wxMessageBox(failure, MessageBoxCaption(), wxOK | wxICON_ERROR, parent);
}

}  // namespace

void OpenInBrowser(wxWindow* parent, const wxString& url) {
    LaunchOrSay(
        parent, [&] { return wxLaunchDefaultBrowser(url); },
        "No web browser was found to open " + url + ".");
}

void OpenInFileManager(wxWindow* parent, const std::string& folder) {
    const wxString path = PathToWx(folder);
    LaunchOrSay(
        parent, [&] { return wxLaunchDefaultApplication(path); },
        "No file manager was found to open " + path +
            ". Open the folder in one yourself, or install xdg-utils, whose xdg-open opens "
            "folders in the desktop's file manager.");
}

}  // namespace jabbery
