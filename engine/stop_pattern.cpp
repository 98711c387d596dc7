// SPDX-License-Identifier: MIT
#include "engine/stop_pattern.h"

#include <re2/re2.h>

namespace jabbery {

std::shared_ptr<const StopPattern> StopPattern::Compile(const std::string& pattern,
                                                        std::string& error) {
    // An empty pattern is found in every reply: the first would end the conversation.
    if (pattern.empty()) {
        error = "it is empty, so every reply would match";
        return nullptr;
    }
    RE2::Options options;
    options.set_log_errors(false);
    auto compiled = std::make_unique<RE2>(pattern, options);
    if (!compiled->ok()) {
        error = compiled->error();
        return nullptr;
    }
    return std::shared_ptr<const StopPattern>(new StopPattern(std::move(compiled), pattern));
}

StopPattern::StopPattern(std::unique_ptr<re2::RE2> compiled, std::string text)
    : m_compiled(std::move(compiled)), m_text(std::move(text)) {}

StopPattern::~StopPattern() = default;

bool StopPattern::FoundIn(std::string_view text) const {
    return RE2::PartialMatch(re2::StringPiece(text.data(), text.size()), *m_compiled);
}

}  // namespace jabbery
