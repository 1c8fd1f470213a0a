// corvane_probe.exe <what> [file]: runs one piece of the program's shell or feed code in a
// process of its own (on a screen, in a folder or under a Windows version that the test
// chose) and reports through its exit code or a file.
//   dpi               exit (width << 16) | (height << 1) | (1 when declared DPI aware)
//   moduledir <file>  writes the module directory (UTF-16) to file
//   launch            starts the sensor server; exit 1 when Windows 10 or later
//   logontask         initialises COM and OLE as the program's entry does, then registers
//                     the logon task; its error lines go to the standard error stream
#include <windows.h>

#include <cwchar>
#include <string>

#include "feed/SensorServer.h"
#include "shell/LogonTask.h"
#include "shell/Paths.h"
#include "shell/Process.h"

namespace {

int Dpi() {
    const DWORD width = static_cast<DWORD>(::GetSystemMetrics(SM_CXSCREEN));
    const DWORD height = static_cast<DWORD>(::GetSystemMetrics(SM_CYSCREEN));
    const bool declared = Corvane::ApplyDpiAwarenessRule();
    return static_cast<int>((width << 16) | (height << 1) | (declared ? 1u : 0u));
}

int WriteModuleDirectory(const wchar_t* path) {
    const std::wstring dir = Corvane::GetModuleDirectory();
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    ::WriteFile(file, dir.c_str(), static_cast<DWORD>(dir.size() * sizeof(wchar_t)), &written,
                nullptr);
    ::CloseHandle(file);
    return 0;
}

int LogonTask() {
    ::CoInitialize(nullptr);
    ::OleInitialize(nullptr);
    Corvane::RegisterLogonTask();
    ::OleUninitialize();
    ::CoUninitialize();
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 100;
    const std::wstring what = argv[1];
    if (what == L"dpi") return Dpi();
    if (what == L"moduledir" && argc > 2) return WriteModuleDirectory(argv[2]);
    if (what == L"launch") {
        Corvane::LaunchSensorServer();
        return Corvane::IsWindows10OrLater() ? 1 : 0;
    }
    if (what == L"logontask") return LogonTask();
    return 100;
}
