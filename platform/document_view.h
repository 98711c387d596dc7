// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>

namespace jabbery {

// Where the conversation's rich-text document is shown.
class DocumentView {
  public:
    virtual ~DocumentView() = default;

    // Replaces whatever the view shows with `rtf_document`. Its first
    // `unchanged_prefix` bytes are promised to be those of the document
    // shown last time (0: no promise), so a view that appends only what is
    // new need not compare them again.
    virtual void ShowDocument(const std::string& rtf_document, std::size_t unchanged_prefix) = 0;
};

}  // namespace jabbery
