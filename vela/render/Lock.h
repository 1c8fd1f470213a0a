// CriticalSection: a re-entrant lock that lives as long as its owner.
// LockScope: holds a critical section for a scope. TryLockScope: holds it only if it was free
// (or already held by this thread) at the moment of asking, and never waits.
#pragma once

#include <windows.h>

namespace Vela {

class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&m_cs); }
    ~CriticalSection() { ::DeleteCriticalSection(&m_cs); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    CRITICAL_SECTION* get() { return &m_cs; }

private:
    CRITICAL_SECTION m_cs;
};

class LockScope {
public:
    explicit LockScope(CRITICAL_SECTION* cs) : m_cs(cs) { ::EnterCriticalSection(m_cs); }
    ~LockScope() { ::LeaveCriticalSection(m_cs); }
    LockScope(const LockScope&) = delete;
    LockScope& operator=(const LockScope&) = delete;

private:
    CRITICAL_SECTION* m_cs;  // not owned
};

class TryLockScope {
public:
    explicit TryLockScope(CRITICAL_SECTION* cs)
        : m_cs(cs), m_held(::TryEnterCriticalSection(cs) != FALSE) {}
    ~TryLockScope() {
        if (m_held) ::LeaveCriticalSection(m_cs);
    }
    TryLockScope(const TryLockScope&) = delete;
    TryLockScope& operator=(const TryLockScope&) = delete;

    bool held() const { return m_held; }

private:
    CRITICAL_SECTION* m_cs;  // not owned
    bool m_held;
};

}  // namespace Vela
