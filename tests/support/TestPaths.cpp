#include "support/TestPaths.h"

#include <windows.h>

namespace TestSupport {

std::wstring OutDir() { return CORVANE_OUT_W; }
std::wstring TestsDir() { return CORVANE_TEST_DIR_W; }
std::wstring LayoutDir() { return CORVANE_LAYOUT_W; }

void RemoveTree(const std::wstring& path) {
    std::wstring dir = path;
    if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((dir + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = dir + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(full.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(dir.c_str());
}

ScratchDir::ScratchDir(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + L"corvane-" + name + L"-" +
             std::to_wstring(::GetCurrentProcessId()) + L"\\";
    RemoveTree(m_path);
    ::CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchDir::~ScratchDir() { RemoveTree(m_path); }

}  // namespace TestSupport
