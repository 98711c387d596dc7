// SPDX-License-Identifier: MIT
#pragma once

#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

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

// Lowers this process's soft limit `resource` to `soft` until this object
// ends. For RLIMIT_FSIZE, SIGXFSZ is ignored meanwhile, so a write past the
// limit fails with EFBIG, as on a full disk, instead of ending the tests.
// No other thread may write files meanwhile. Tests only.
class ScopedLimit {
  public:
    ScopedLimit(int resource, rlim_t soft) : m_resource(resource) {
        ::getrlimit(resource, &m_old);
        const rlimit lowered{soft, m_old.rlim_max};
        ::setrlimit(resource, &lowered);
        if (resource == RLIMIT_FSIZE) m_oldXfsz = ::signal(SIGXFSZ, SIG_IGN);
    }
    ~ScopedLimit() {
        ::setrlimit(m_resource, &m_old);
        if (m_resource == RLIMIT_FSIZE) ::signal(SIGXFSZ, m_oldXfsz);
    }
    ScopedLimit(const ScopedLimit&) = delete;
    ScopedLimit& operator=(const ScopedLimit&) = delete;

  private:
    int m_resource;
    rlimit m_old{};
    sighandler_t m_oldXfsz = SIG_DFL;
};

// While it lives, every new thread of this process asks for a stack beyond
// memory, so none can be started: what a process or memory limit does.
// Tests only.
class NoNewThreads {
  public:
    NoNewThreads() {
        ::pthread_getattr_default_np(&m_normal);
        pthread_attr_t huge;
        ::pthread_getattr_default_np(&huge);
        ::pthread_attr_setstacksize(&huge, std::size_t{1} << 50);
        ::pthread_setattr_default_np(&huge);
        ::pthread_attr_destroy(&huge);
    }
    ~NoNewThreads() {
        ::pthread_setattr_default_np(&m_normal);
        ::pthread_attr_destroy(&m_normal);
    }
    NoNewThreads(const NoNewThreads&) = delete;
    NoNewThreads& operator=(const NoNewThreads&) = delete;

  private:
    pthread_attr_t m_normal{};
};

}  // namespace jabbery::testing
