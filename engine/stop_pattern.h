// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace re2 {
class RE2;
}

namespace jabbery {

// A regular expression in RE2's syntax, searched for anywhere in a reply.
// RE2 matches in time linear in the text and without recursion, so no
// pattern and no reply can make a search hang or overflow the stack.
class StopPattern {
  public:
    // The compiled `pattern`, or null with RE2's message in `error` (or
    // why an empty pattern is refused).
    static std::shared_ptr<const StopPattern> Compile(const std::string& pattern,
                                                      std::string& error);
    ~StopPattern();

    bool FoundIn(std::string_view text) const;
    const std::string& Text() const { return m_text; }

  private:
    StopPattern(std::unique_ptr<re2::RE2> compiled, std::string text);

    std::unique_ptr<re2::RE2> m_compiled;
    std::string m_text;
};

}  // namespace jabbery
