#include "shell/Paths.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>

#include "shell/Product.h"
#include "vela/Manager.h"

namespace Corvane {

std::wstring GetModuleDirectory() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(::GetModuleHandleW(nullptr), path, MAX_PATH);
    ::PathRemoveFileSpecW(path);
    ::PathAddBackslashW(path);
    return path;
}

std::wstring GetSkinFolder() { return GetModuleDirectory() + L"skins\\" + Vela::Manager::GetTheme(); }

std::wstring GetDataFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base);
    wchar_t tail[MAX_PATH];
    std::swprintf(tail, MAX_PATH, L"\\%ls Files\\", kProductName);
    return std::wstring(base) + tail;
}

bool EnsureDirectory(const std::wstring& path) {
    if (::PathIsDirectoryW(path.c_str())) return true;
    // Create every parent left to right; the part before the first backslash (the
    // drive) is never created.
    const size_t first = path.find(L'\\');
    if (first != std::wstring::npos) {
        for (size_t at = path.find(L'\\', first + 1); at != std::wstring::npos;
             at = path.find(L'\\', at + 1)) {
            ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
        }
    }
    ::SetLastError(ERROR_SUCCESS);
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace Corvane
