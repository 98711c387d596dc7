// SPDX-License-Identifier: MIT
#pragma once

#include <string>

class wxWindow;

namespace jabbery {

// "Select the folder in which bot N of M is installed:".
std::string FolderPromptTitle(int number, int count);

// Where the folder prompt starts: the user's bots folder, with a copy of
// every bot that comes with Jabbery made there on first use. `error` is set
// when a copy could not be made; the folder is returned all the same.
std::string PromptStartFolder(std::string& error);

// Asks for the folder of bot `number` of `count` with the desktop's folder
// chooser, starting in `start_folder` when that is not empty. Returns the
// chosen folder's full path (no trailing slash but for "/"), or empty text
// when the user cancels.
std::string BrowseForBotFolder(wxWindow* parent, int number, int count,
                               const std::string& start_folder);

}  // namespace jabbery
