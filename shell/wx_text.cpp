// SPDX-License-Identifier: MIT
#include "shell/wx_text.h"

#include <wx/strconv.h>

namespace jabbery {

wxString ToWxText(const std::string& text) {
    const wxString utf8 = wxString::FromUTF8(text.data(), text.size());
    if (!utf8.empty() || text.empty()) return utf8;
    // Older bots write the Windows code page; that never fails to decode.
    static wxCSConv windows1252(wxFONTENCODING_CP1252);
    return wxString(text.data(), windows1252, text.size());
}

wxString PathToWx(const std::string& path) {
    return wxString(path.c_str(), *wxConvFileName);
}

std::string PathFromWx(const wxString& path) {
    const wxCharBuffer bytes = path.fn_str();
    return bytes.data() ? std::string(bytes.data()) : std::string();
}

}  // namespace jabbery
