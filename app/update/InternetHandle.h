// InternetHandle: a move-only owner of one WinINet handle (session or request).
#pragma once

#include <windows.h>
#include <wininet.h>

#include <utility>

namespace Corvane {

class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET handle) : m_handle(handle) {}
    ~InternetHandle() { reset(); }

    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    InternetHandle(InternetHandle&& other) noexcept : m_handle(other.release()) {}
    InternetHandle& operator=(InternetHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    HINTERNET get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

    HINTERNET release() { return std::exchange(m_handle, nullptr); }
    void reset(HINTERNET handle = nullptr) {
        if (m_handle != nullptr) ::InternetCloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HINTERNET m_handle = nullptr;
};

}  // namespace Corvane
