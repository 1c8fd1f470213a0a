#include "support/CorvaneProgram.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace TestSupport {

HWND FindMainWindow() {
    HWND hwnd = ::FindWindowW(L"DeviceMainDlg", L"DIGITAL");
    return (hwnd != nullptr && ::GetPropW(hwnd, L"Halvex") != nullptr) ? hwnd : nullptr;
}

HWND ShowFromTray(DWORD limitMs) {
    const HWND hwnd = FindMainWindow();
    if (hwnd == nullptr) return nullptr;
    ::PostMessageW(hwnd, WM_USER + 666, 109, WM_LBUTTONDOWN);
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // Shown first, then moved to its corner: wait for both.
    const ULONGLONG end = ::GetTickCount64() + limitMs;
    for (;;) {
        RECT rect = {};
        ::GetWindowRect(hwnd, &rect);
        if (::IsWindowVisible(hwnd) && rect.left == work.right - 343 &&
            rect.top == work.bottom - 253) {
            return hwnd;
        }
        if (::GetTickCount64() > end) return nullptr;
        ::Sleep(20);
    }
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

std::vector<std::string> ReadLines(const std::wstring& path) {
    const std::string text = ReadAll(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

void CloseAndExpectOrderedExit(ChildProcess& corvane, DWORD limitMs) {
    const HWND hwnd = FindMainWindow();
    ASSERT_NE(nullptr, hwnd);
    ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(corvane.Wait(limitMs));
    EXPECT_EQ(1u, corvane.ExitCode());
}

bool SetRefusingUpdateRoot() {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvex", 0, nullptr, 0,
                          KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const wchar_t root[] = L"http://127.0.0.1:9";
    const LONG result = ::RegSetValueExW(key, L"update_root", 0, REG_SZ,
                                         reinterpret_cast<const BYTE*>(root), sizeof(root));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

}  // namespace TestSupport
