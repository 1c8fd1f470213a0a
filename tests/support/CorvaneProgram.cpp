#include "support/CorvaneProgram.h"

#include <shlobj.h>

namespace TestSupport {

HWND FindMainWindow() {
    HWND hwnd = ::FindWindowW(L"DeviceMainDlg", L"DIGITAL");
    return (hwnd != nullptr && ::GetPropW(hwnd, L"Halvex") != nullptr) ? hwnd : nullptr;
}

std::wstring TraceFile() {
    wchar_t base[MAX_PATH + 1] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base);
    return std::wstring(base) + L"\\Halvex Files\\trace.log";
}

std::string ReadAll(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text(::GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!text.empty()) ::ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr);
    ::CloseHandle(file);
    text.resize(read);
    return text;
}

}  // namespace TestSupport
