// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace jabbery {

// The folder that holds the running program's executable, symbolic links
// resolved, so a program finds its data and its sibling programs wherever
// it was installed or unpacked. Empty when the system does not tell.
std::string ProgramFolder();

// A base folder by the XDG base directory rules: `xdg_value` when it is an
// absolute path, else `home` + "/" + `below_home` (".local/share" for the
// data folder). Empty when neither gives an absolute path. A null pointer
// counts as unset.
std::string BaseFolderFrom(const char* xdg_value, const char* home, const char* below_home);

// The user's data folder: XDG_DATA_HOME, else ~/.local/share.
std::string UserDataHome();

// The user's state folder: XDG_STATE_HOME, else ~/.local/state.
std::string UserStateHome();

}  // namespace jabbery
