// Where the build put things, in Windows form, and a scratch folder per test.
#pragma once

#include <string>

namespace TestSupport {

std::wstring OutDir();    // the installed layout: Corvane.exe, Vela.dll, skins\ ...
std::wstring TestsDir();  // the test programs and their helpers
// The installed layout with the stand-ins (sensor server in Fennick\\ and FennickWin7\\).
std::wstring LayoutDir();

// A fresh empty folder (ending in a backslash) that is removed with its contents.
class ScratchDir {
public:
    explicit ScratchDir(const std::wstring& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
};

// Removes a folder and everything below it.
void RemoveTree(const std::wstring& path);

}  // namespace TestSupport
