// SPDX-License-Identifier: MIT
#pragma once

#include <wx/string.h>

#include <string>

namespace jabbery {

// Text the system holds as bytes (messages, bot names, replies), for a
// window: read as UTF-8, or as Windows-1252 when it is not valid UTF-8.
wxString ToWxText(const std::string& text);

// A file name as the file system spells it (bytes), to and from the form
// the dialogs use.
wxString PathToWx(const std::string& path);
std::string PathFromWx(const wxString& path);

}  // namespace jabbery
