#pragma once

#include <string>
#include <vector>

class wxWindow;

namespace jabbery {

// "Select the folder in which bot N of M is installed:".
std::string FolderPromptTitle(int number, int count);

// The first of `candidates` that is a folder, or empty text.
std::string FirstExistingFolder(const std::vector<std::string>& candidates);

// Where the sample bots that come with the program are: beside the program
// in the build tree, or in its installed data folder. Empty when neither.
std::string BundledBotsFolder();

// Asks for the folder of bot `number` of `count` with the desktop's folder
// chooser, starting in `start_folder` when that is not empty. Returns the
// chosen folder's full path (no trailing slash but for "/"), or empty text
// when the user cancels.
std::string BrowseForBotFolder(wxWindow* parent, int number, int count,
                               const std::string& start_folder);

}  // namespace jabbery
