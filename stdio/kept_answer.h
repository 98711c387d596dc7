// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace jabbery {

// How jabbery-stdio --keep talks to an interactive program.
struct KeptOptions {
    std::optional<std::regex> m_skipUntil;  // output of a fresh start is dropped up to a match
    std::optional<std::regex> m_prompt;     // the answer ends at a match
    bool m_join = false;                    // all lines before the prompt make the answer
};

// Splits a program's output into lines as it comes. A line that has not
// ended yet is looked at too, since a prompt ("> ") often has no line end.
// CRs before a line end are dropped.
class OutputLines {
  public:
    // Takes the next bytes; the complete lines they end come out of TakeLines.
    void Feed(std::string_view bytes);
    std::vector<std::string> TakeLines();
    // What has come of the line that has not ended.
    const std::string& Partial() const { return m_partial; }
    // Forgets what has come of that line.
    void DropPartial() { m_partial.clear(); }

  private:
    std::vector<std::string> m_lines;
    std::string m_partial;
};

// Drops a freshly started program's output (its banner) until a line, or
// what has come of the current one, matches `pattern`.
class SkipUntil {
  public:
    explicit SkipUntil(const std::regex& pattern) : m_pattern(pattern) {}
    // True once the match has come; all output up to then is dropped.
    bool Feed(std::string_view bytes);

  private:
    const std::regex& m_pattern;
    OutputLines m_lines;
};

// Picks one exchange's answer out of a kept program's output. Without a
// prompt it is the first line with more than blanks; with one, it is the
// lines that come before the next prompt (a prompt before any such line is
// the one that asked for the message, and is passed over): the first, or
// with `join` all of them joined by one space, each trimmed.
class KeptAnswer {
  public:
    explicit KeptAnswer(const KeptOptions& options) : m_options(options) {}
    // Takes the next bytes; true once the answer is complete.
    bool Feed(std::string_view bytes);
    // The output has ended: a last line without an end counts. True when there is an answer.
    bool Finish();
    // The answer, trimmed; empty when there is none.
    std::string Text() const;

  private:
    // Takes one whole line; true once the answer is complete.
    bool TakeLine(const std::string& line);

    const KeptOptions& m_options;
    OutputLines m_lines;
    std::vector<std::string> m_answer;  // lines with text, trimmed
    std::size_t m_kept = 0;             // their bytes, with a separator each
    bool m_complete = false;
};

}  // namespace jabbery
