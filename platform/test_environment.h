// SPDX-License-Identifier: MIT
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace jabbery::testing {

// Sets an environment variable (children inherit it) until this object
// ends, then puts back what was there. Tests only.
class ScopedVariable {
  public:
    ScopedVariable(std::string name, const std::string& value) : m_name(std::move(name)) {
        if (const char* old = ::getenv(m_name.c_str())) m_old = old;
        ::setenv(m_name.c_str(), value.c_str(), 1);
    }
    ~ScopedVariable() {
        m_old ? ::setenv(m_name.c_str(), m_old->c_str(), 1) : ::unsetenv(m_name.c_str());
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace jabbery::testing
