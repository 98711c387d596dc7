// SPDX-License-Identifier: MIT
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace jabbery::testing {

// Sets an environment variable for the lifetime of this object, then puts
// back what was there before (or unsets it again). Tests only.
class ScopedVariable {
  public:
    ScopedVariable(const std::string& name, const std::string& value) : m_name(name) {
        if (const char* old = ::getenv(name.c_str())) m_old = old;
        // Children started meanwhile inherit the value, as the test wants.
        ::setenv(name.c_str(), value.c_str(), 1);
    }

    ~ScopedVariable() {
        if (m_old) {
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }

    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace jabbery::testing
