#include "update/UpdateServer.h"

#include <windows.h>
#include <wininet.h>

#include <cwchar>

#include "shell/Product.h"
#include "shell/RegistryKey.h"

namespace Corvane {
namespace {

// Longest root or URL taken; a longer registry value is ignored.
const size_t kMaxUrlLength = 2048;

// The override text, or empty when it is missing, not REG_SZ or too long.
std::wstring ReadRootOverride() {
    const std::wstring path = std::wstring(L"SOFTWARE\\") + kProductName;
    RegistryKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                        key.out()) != ERROR_SUCCESS) {
        return std::wstring();
    }
    wchar_t buffer[kMaxUrlLength + 1] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer) - sizeof(wchar_t);  // room for a terminator the value may lack
    if (::RegQueryValueExW(key.get(), kUpdateRootValue, nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::wstring();
    }
    buffer[size / sizeof(wchar_t)] = L'\0';
    return buffer;
}

bool IsLoopbackHost(const std::wstring& host) {
    return _wcsicmp(host.c_str(), L"127.0.0.1") == 0 || _wcsicmp(host.c_str(), L"localhost") == 0 ||
           host == L"[::1]" || host == L"::1";
}

}  // namespace

bool IsAcceptableUpdateUrl(const std::wstring& url) {
    if (url.empty() || url.size() > kMaxUrlLength) return false;
    for (wchar_t c : url) {
        if (c <= L' ' || c == 0x7F || c == L'\\') return false;
    }
    URL_COMPONENTSW parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    parts.dwUserNameLength = 1;
    parts.dwPasswordLength = 1;
    parts.dwUrlPathLength = 1;
    if (!::InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return false;
    if (parts.dwUserNameLength != 0 || parts.dwPasswordLength != 0) return false;
    if (parts.lpszHostName == nullptr || parts.dwHostNameLength == 0) return false;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) return true;
    return parts.nScheme == INTERNET_SCHEME_HTTP && IsLoopbackHost(host);
}

std::wstring ReadUpdateRoot() {
    std::wstring root = ReadRootOverride();
    while (!root.empty() && root.back() == L'/') root.pop_back();
    if (!IsAcceptableUpdateUrl(root)) root = kDefaultUpdateRoot;
    return root;
}

std::wstring SoftwareBaseUrl(const std::wstring& root) { return root + L"/m21x/software/"; }

std::wstring FirmwareBaseUrl(const std::wstring& root) { return root + L"/m21x/firmware/"; }

}  // namespace Corvane
