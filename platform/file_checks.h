// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace jabbery {

// True when `path` is a regular file this process may execute.
bool IsExecutableFile(const std::string& path);

// True when this process may create and remove files in `folder`.
bool CanWriteIn(const std::string& folder);

// The first executable file called `name` in the folders of $PATH, or none.
std::optional<std::string> FindOnPath(const std::string& name);

}  // namespace jabbery
