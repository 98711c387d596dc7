// SPDX-License-Identifier: MIT
#include "shell/export_document.h"

#include <filesystem>

#include "engine/user_questions.h"
#include "platform/whole_file.h"

namespace jabbery {

void ExportDocument(const std::function<std::string(const std::string& path)>& document_for,
                    const std::function<std::optional<std::string>()>& ask_path,
                    UserQuestions& questions) {
    while (const std::optional<std::string> path = ask_path()) {
        std::error_code ignored;
        if (std::filesystem::exists(*path, ignored) && !questions.AskYesNo(ReplaceQuestion(*path)))
            continue;
        std::string error;
        if (ReplaceWholeFile(*path, document_for(*path), error)) return;
        questions.ShowError(error + "\nChoose another file, or cancel.");
    }
}

std::string ReplaceQuestion(const std::string& path) {
    return path + " already exists. Replace it?";
}

}  // namespace jabbery
