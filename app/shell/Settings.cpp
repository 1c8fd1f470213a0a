#include "shell/Settings.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "shell/Product.h"
#include "shell/RegistryKey.h"

namespace Corvane {
namespace {

void KeyPath(wchar_t (&path)[MAX_PATH]) { std::swprintf(path, MAX_PATH, L"SOFTWARE\\%ls", kProductName); }

}  // namespace

int ReadSettingInt(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    KeyPath(path);
    RegistryKey key;
    const LONG opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, key.out());
    if (opened == ERROR_FILE_NOT_FOUND) {
        RegistryKey created;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, created.out(), nullptr);
        return 0;
    }
    if (opened != ERROR_SUCCESS) return 0;

    // 255 bytes for at most 127 characters and the null; a longer value does not fit,
    // leaves the buffer empty and reads as 0.
    wchar_t buffer[256] = {};
    DWORD type = REG_SZ;
    DWORD size = 255;
    const LONG queried = ::RegQueryValueExW(key.get(), name, nullptr, &type,
                                            reinterpret_cast<BYTE*>(buffer), &size);
    // The buffer's contents are undefined when the value did not fit.
    if (queried != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return 0;
    buffer[255] = L'\0';
    return ::_wtoi(buffer);
}

void WriteSetting(const wchar_t* name, const wchar_t* text) {
    wchar_t path[MAX_PATH];
    KeyPath(path);
    RegistryKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS) {
        return;
    }
    const DWORD bytes = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t));
    ::RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

}  // namespace Corvane
