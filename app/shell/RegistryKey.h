// RegistryKey: the owner of one open registry key, closed when it dies.
#pragma once

#include <windows.h>

namespace Corvane {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (m_key != nullptr) ::RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY* out() { return &m_key; }  // for the open or create call
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

}  // namespace Corvane
