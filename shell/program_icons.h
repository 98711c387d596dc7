// SPDX-License-Identifier: MIT
#pragma once

#include <wx/iconbndl.h>

namespace jabbery {

// The program's own icon in every size it comes in (16, 32, 48, 256 px),
// for the window's title bar and task bar. Empty when the program was built
// without its icons.
const wxIconBundle& ProgramIcons();

// The program's icon as near to `pixels` square as the bundle has it.
wxIcon ProgramIcon(int pixels);

}  // namespace jabbery
