// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace jabbery {

// The program's own owned, length-counted string of 8-bit characters. It
// holds any bytes (NUL included) and has no length limit of its own; callers
// that must bound a text (a reply, a descriptor line) do so themselves.
class CPlainString {
  public:
    CPlainString() = default;
    CPlainString(const char* text) : m_text(text ? text : "") {}  // NOLINT: implicit on purpose
    CPlainString(std::string text) : m_text(std::move(text)) {}   // NOLINT: implicit on purpose
    CPlainString(std::string_view text) : m_text(text) {}         // NOLINT: implicit on purpose
    explicit CPlainString(long long number) : m_text(std::to_string(number)) {}

    const std::string& Str() const { return m_text; }
    const char* c_str() const { return m_text.c_str(); }
    std::size_t Length() const { return m_text.size(); }
    bool IsEmpty() const { return m_text.empty(); }
    char operator[](std::size_t index) const { return m_text[index]; }

    // `count` characters from `start`; clipped at the end, empty past it.
    CPlainString Mid(std::size_t start, std::size_t count) const;

    // A copy in which only the letters a to z are upper-cased.
    CPlainString Upper() const;

    // Appends the pieces in order, growing the string once.
    template <typename... Pieces>
    CPlainString& Append(const Pieces&... pieces) {
        m_text.reserve(m_text.size() + (std::string_view(pieces).size() + ...));
        (m_text.append(std::string_view(pieces)), ...);
        return *this;
    }
    operator std::string_view() const { return m_text; }  // NOLINT: for Append

    CPlainString& operator+=(char character);
    CPlainString& operator+=(const CPlainString& other);
    friend CPlainString operator+(CPlainString left, const CPlainString& right) {
        left += right;
        return left;
    }

    // Equal means the same length and the same characters.
    friend bool operator==(const CPlainString& a, const CPlainString& b) = default;

  private:
    std::string m_text;
};

}  // namespace jabbery
