// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "platform/test_temp_folder.h"

namespace jabbery::testing {

// Makes a bot folder `dir` inside `root` whose descriptor runs `command`
// under the display name `name`. Returns the folder's path.
inline std::string MakeScriptBot(const TempFolder& root, const std::string& dir,
                                 const std::string& name, const std::string& command) {
    const std::string folder = root.File(dir);
    std::filesystem::create_directories(folder);
    WriteFile(folder + "/vorn.nfo", "VORN2\r\nA test bot\r\n" + command + "\r\n" + name + "\r\n");
    return folder;
}

// A bot command that records the message file it was handed in seen.msg
// and answers `answer`.
inline std::string RecordAndAnswer(const std::string& answer) {
    return "cp chat.msg seen.msg; printf '%s\\r\\n' '" + answer + "' > chat.msg";
}

}  // namespace jabbery::testing
