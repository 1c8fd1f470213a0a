#include "shell/Process.h"

#include <tlhelp32.h>

#include <cwchar>
#include <cwctype>

#include "shell/Product.h"

namespace Corvane {

UniqueHandle ClaimSingleInstance(bool* alreadyRunning) {
    *alreadyRunning = false;
    UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, kProductName));
    if (mutex && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        *alreadyRunning = true;
        mutex.reset();
    }
    return mutex;
}

HWND FindInstanceWindow() {
    for (HWND hwnd = ::GetWindow(::GetDesktopWindow(), GW_CHILD); ::IsWindow(hwnd);
         hwnd = ::GetWindow(hwnd, GW_HWNDNEXT)) {
        if (::GetPropW(hwnd, kProductName) != nullptr) return hwnd;
    }
    return nullptr;
}

bool ApplyDpiAwarenessRule() {
    // Read before the process is DPI aware: with display scaling these are scaled units.
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    if (width >= 1400 && height >= 800) return false;
    ::SetProcessDPIAware();
    return true;
}

bool EnableDebugPrivilege() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &raw)) return false;
    UniqueHandle token(raw);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid);
    ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    // ERROR_NOT_ALL_ASSIGNED also counts as failure.
    return ::GetLastError() == ERROR_SUCCESS;
}

bool KillProcessByName(const wchar_t* name) {
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;

    DWORD chosen = 0;
    bool found = false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more && !found;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        for (size_t i = 0; i < MAX_PATH && entry.szExeFile[i] != L'\0'; ++i) {
            entry.szExeFile[i] = static_cast<wchar_t>(std::towlower(entry.szExeFile[i]));
        }
        if (::_wcsicmp(entry.szExeFile, name) == 0) {
            chosen = entry.th32ProcessID;
            found = true;
        }
    }
    snapshot.reset();

    if (found) {
        UniqueHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, chosen));
        if (process) ::TerminateProcess(process.get(), 0);
    }
    return true;
}

}  // namespace Corvane
