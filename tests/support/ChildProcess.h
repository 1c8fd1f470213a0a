// ChildProcess: a process a test starts; it is terminated if still running when the
// object dies, so a failing test leaves nothing behind.
#pragma once

#include <windows.h>

#include <string>

namespace TestSupport {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;

    // Starts commandLine (the program path quoted as needed). desktop, when given, names
    // a desktop of its own; see ScreenDesktop. standardError, when given, must be an
    // inheritable handle (a file, say): the child writes its standard error stream there.
    // Returns false when the start failed.
    bool Start(const std::wstring& commandLine, const std::wstring& directory = L"",
               const std::wstring& desktop = L"", HANDLE standardError = nullptr);

    bool Wait(DWORD milliseconds) const;  // true when the process has ended
    bool Running() const;
    DWORD ExitCode() const;               // STILL_ACTIVE while running
    DWORD Id() const { return m_id; }
    void Terminate();

private:
    HANDLE m_process = nullptr;  // owned
    DWORD m_id = 0;
};

// Name of a Wine virtual desktop of the given screen size (registered on first use):
// a program started on it reads that size as its primary screen.
std::wstring ScreenDesktop(int width, int height);

// Polls predicate every 20 ms until it holds or the limit passes.
template <typename Predicate>
bool WaitUntil(Predicate predicate, DWORD limitMs) {
    const ULONGLONG end = ::GetTickCount64() + limitMs;
    for (;;) {
        if (predicate()) return true;
        if (::GetTickCount64() > end) return false;
        ::Sleep(20);
    }
}

}  // namespace TestSupport
