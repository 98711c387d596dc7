// SPDX-License-Identifier: MIT
#pragma once

#include <wx/string.h>

namespace jabbery {

// The caption of every message box: the program file's name without its
// extension ("jabbery").
wxString MessageBoxCaption();

}  // namespace jabbery
