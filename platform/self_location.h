// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace jabbery {

// The folder that holds the running program's executable, symbolic links
// resolved, so a program finds its data and its sibling programs wherever
// it was installed or unpacked. Empty when the system does not tell.
std::string ProgramFolder();

// The user's data folder by the XDG base directory rules: `xdg_data_home`
// when it is an absolute path, else `home` + "/.local/share". Empty when
// neither gives an absolute path. A null pointer counts as unset.
std::string DataHomeFrom(const char* xdg_data_home, const char* home);

// DataHomeFrom with this process's XDG_DATA_HOME and HOME.
std::string UserDataHome();

}  // namespace jabbery
