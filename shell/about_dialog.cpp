// SPDX-License-Identifier: MIT
#include "shell/about_dialog.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "shell/dialog_units.h"
#include "shell/program_icons.h"
#include "values/product.h"

namespace jabbery {
namespace {

// The icon is drawn at the size the title bar's big icon has.
constexpr int kIconPixels = 32;

}  // namespace

CAboutDialog::CAboutDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "About " + ProgramTitle(), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX) {
    SetClientSizeInDialogUnits(this, 235, 55);
    SetIcons(ProgramIcons());

    DialogRect place = DialogUnits(this, 11, 17, 20, 20);
    new wxStaticBitmap(this, wxID_ANY, wxBitmap(ProgramIcon(kIconPixels)), place.m_position,
                       place.m_size);
    place = DialogUnits(this, 40, 10, 119, 8);
    new wxStaticText(this, wxID_ANY, std::string("Jabbery Version ") + kVersion, place.m_position,
                     place.m_size, wxST_NO_AUTORESIZE);
    place = DialogUnits(this, 40, 25, 188, 8);
    new wxStaticText(this, wxID_ANY, "Links chat bots into one conversation.", place.m_position,
                     place.m_size, wxST_NO_AUTORESIZE);
    place = DialogUnits(this, 40, 40, 188, 8);
    new wxStaticText(this, wxID_ANY,
                     std::string(kCopyrightLine) + ". " + kLicenceName + " licence.",
                     place.m_position, place.m_size, wxST_NO_AUTORESIZE);
    place = DialogUnits(this, 178, 7, 50, 16);
    auto* ok = new wxButton(this, wxID_OK, "OK", place.m_position, place.m_size);
    ok->SetDefault();
    ok->SetFocus();
    // Escape and the close box end the box as OK does (it has no Cancel).
    SetEscapeId(wxID_OK);
}

void ShowAboutBox(wxWindow* parent) {
    CAboutDialog about(parent);
    about.CentreOnParent();
    about.ShowModal();
}

}  // namespace jabbery
