// SPDX-License-Identifier: MIT
#include "shell/program_icons.h"

#include <wx/image.h>
#include <wx/mstream.h>

#include "shell/embedded_files.h"

namespace jabbery {

const wxIconBundle& ProgramIcons() {
    static const wxIconBundle bundle = [] {
        wxIconBundle icons;
        // PNG decoding needs its handler; adding it twice is harmless.
        if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) {
            wxImage::AddHandler(new wxPNGHandler);
        }
        for (const EmbeddedFile* file = EmbeddedFiles(); file->m_name != nullptr; ++file) {
            wxMemoryInputStream stream(file->m_data, file->m_size);
            const wxImage image(stream, wxBITMAP_TYPE_PNG);
            if (!image.IsOk() || image.GetWidth() != image.GetHeight()) continue;
            wxIcon icon;
            icon.CopyFromBitmap(wxBitmap(image));
            icons.AddIcon(icon);
        }
        return icons;
    }();
    return bundle;
}

wxIcon ProgramIcon(int pixels) {
    const wxIconBundle& icons = ProgramIcons();
    if (icons.IsEmpty()) return wxNullIcon;
    // FALLBACK_NEAREST_LARGER picks the next bigger size when the exact one
    // is missing; a bigger icon scales down better than a smaller one up.
    wxIcon icon = icons.GetIcon(wxSize(pixels, pixels), wxIconBundle::FALLBACK_NEAREST_LARGER);
    if (icon.IsOk() && icon.GetWidth() != pixels) {
        wxImage scaled =
            wxBitmap(icon).ConvertToImage().Scale(pixels, pixels, wxIMAGE_QUALITY_HIGH);
        icon.CopyFromBitmap(wxBitmap(scaled));
    }
    return icon;
}

}  // namespace jabbery
