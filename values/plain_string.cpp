// SPDX-License-Identifier: MIT
#include "values/plain_string.h"

namespace jabbery {

CPlainString CPlainString::Mid(std::size_t start, std::size_t count) const {
    if (start >= m_text.size()) return {};
    return CPlainString(m_text.substr(start, count));
}

CPlainString CPlainString::Upper() const {
    std::string upper = m_text;
    // Only a to z: bytes of other letters (above 127 in any code page) keep
    // their case, whatever the locale says.
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return CPlainString(std::move(upper));
}

CPlainString& CPlainString::operator+=(char character) {
    m_text.push_back(character);
    return *this;
}

CPlainString& CPlainString::operator+=(const CPlainString& other) {
    m_text += other.m_text;
    return *this;
}

}  // namespace jabbery
