// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace jabbery {

class UserQuestions;

// Asks for a file with `ask_path` and writes there the whole document
// `document_for` makes for that path (its format may follow the name). A
// file that is already there is replaced only when the user says so, else
// the path is asked again; a failed write is reported and asked again, and
// never leaves half a document over an earlier file. A cancelled question ends it.
void ExportDocument(const std::function<std::string(const std::string& path)>& document_for,
                    const std::function<std::optional<std::string>()>& ask_path,
                    UserQuestions& questions);

// The question asked before replacing `path`.
std::string ReplaceQuestion(const std::string& path);

}  // namespace jabbery
