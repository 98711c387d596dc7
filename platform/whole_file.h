// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace jabbery {

// Makes `path` hold exactly `content`: written beside it under a temporary
// name, then renamed over it, so a write that fails part-way leaves any
// earlier file as it was. Returns false with `error` in words for the user.
bool ReplaceWholeFile(const std::string& path, const std::string& content, std::string& error);

}  // namespace jabbery
